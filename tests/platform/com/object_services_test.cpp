// The platform's object services: the class registry and its store, the text forms (strings,
// class ids), variants and safe arrays, and event connection points.
#include "platform/com/registry_store.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/class_registry.h"
#include "platform/com/event_connection_point.h"
#include "platform/com/guid.h"
#include "platform/com/object.h"
#include "platform/com/safearray.h"
#include "platform/com/store_class_lookup.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
#include "tests/support/isolated_registry.h"

// A small interface and an object implementing it, used by the registry and variant tests.
inline constexpr IID IID_ITestWidget = {
    0x6A1F0C21, 0x3B9E, 0x4D57, {0x8E, 0x10, 0x2C, 0x44, 0x91, 0x0B, 0x7A, 0x01}};
// An interface no test object implements.
inline constexpr IID IID_ITestMissing = {
    0x6A1F0C23, 0x3B9E, 0x4D57, {0x8E, 0x10, 0x2C, 0x44, 0x91, 0x0B, 0x7A, 0x03}};

struct ITestWidget : IUnknown {
 protected:
  ~ITestWidget() = default;
};
OMBRIXDC_INTERFACE_ID(ITestWidget, IID_ITestWidget);

// Reports its destruction through `destroyed` when given one.
class TestWidget final : public ComObject<ITestWidget> {
 public:
  explicit TestWidget(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  ~TestWidget() override {
    if (destroyed_) {
      *destroyed_ = true;
    }
  }

 private:
  bool* destroyed_;
};

// A new widget with the one reference a creation function hands over.
inline IUnknown* NewWidget(bool* destroyed = nullptr) {
  return MakeComObject<TestWidget>(destroyed).Detach();
}

namespace {

// No test of this program reads or writes the user's real registry store.
const IsolatedRegistry programRegistry;

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

constexpr CLSID kClass = {
    0x5B7C3A10, 0x1D2E, 0x4F30, {0x9A, 0x8B, 0x7C, 0x6D, 0x5E, 0x4F, 0x30, 0x21}};

void Write(const std::string& key, const std::string& value) {
  UpdateClassesRoot([&](ClassesRoot& root) {
    root.SetValue(key, "", value);
    return S_OK;
  });
}

TEST(RegistryStore, FailedEditOrDamagedStoreLeavesTheFileAlone) {
  const IsolatedRegistry registry;
  Write("Kept", "v");
  const std::string before = FileText(registry.File());
  EXPECT_EQ(UpdateClassesRoot([](ClassesRoot& r) {
              r.DeleteTree("Kept");
              return E_ACCESSDENIED;
            }),
            E_ACCESSDENIED);
  EXPECT_EQ(FileText(registry.File()), before);

  std::ofstream(registry.File(), std::ios::binary) << "[HKEY_CLASSES_ROOT\\Half";
  ClassesRoot root;
  EXPECT_EQ(ReadClassesRoot(&root), REGDB_E_READREGDB);
  bool edited = false;
  EXPECT_EQ(UpdateClassesRoot([&](ClassesRoot&) {
              edited = true;
              return S_OK;
            }),
            REGDB_E_READREGDB);
  EXPECT_FALSE(edited);
  EXPECT_EQ(FileText(registry.File()), "[HKEY_CLASSES_ROOT\\Half");  // not overwritten
}

// Threads stand in for client processes: the store is locked and replaced whole per update.
TEST(RegistryStore, ConcurrentWritersLoseNothingAndLeaveNoOtherFile) {
  const IsolatedRegistry registry;
  ClassesRoot root;
  root.CreateKey("Leftover");
  ASSERT_EQ(ReadClassesRoot(&root), S_OK);
  EXPECT_TRUE(root.KeyPaths().empty());  // a missing file is an empty root
  std::vector<std::thread> writers;
  for (int w = 0; w < 3; ++w) {
    writers.emplace_back([w] {
      for (int k = 0; k < 20; ++k) {
        Write("Writer" + std::to_string(w) + "\\Key" + std::to_string(k), "v");
      }
    });
  }
  for (std::thread& writer : writers) {
    writer.join();
  }
  ASSERT_EQ(ReadClassesRoot(&root), S_OK);
  for (int w = 0; w < 3; ++w) {
    EXPECT_EQ(root.Subkeys("Writer" + std::to_string(w)).size(), 20u);
  }
  // Nothing but the store is left in the folder: no temporary file, no lock file.
  const auto folder = std::filesystem::directory_iterator(registry.File().parent_path());
  EXPECT_EQ(std::distance(begin(folder), end(folder)), 1);
}

TEST(StoreClassLookup, ProgIdsNameTheirClassThroughCurVerAndServersMustLoad) {
  const IsolatedRegistry registry;
  Write("Maker.Widget.1\\CLSID", FormatGuid(kClass));
  Write("Maker.Widget\\CurVer", "Maker.Widget.1");
  Write("Maker.Broken\\CLSID", "not a class id");
  const std::pair<const char16_t*, HRESULT> cases[] = {{u"maker.widget", S_OK},
                                                       {u"Maker.Broken", CO_E_CLASSSTRING}};
  for (const auto& [progId, expected] : cases) {
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(CLSIDFromProgID(progId, &clsid), expected);
    EXPECT_EQ(clsid, expected == S_OK ? kClass : GUID_NULL);
  }

  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
            REGDB_E_CLASSNOTREG);
  Write("CLSID\\" + FormatGuid(kClass) + "\\InprocServer32",
        (registry.File().parent_path() / "no-such-module.so").string());
  EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), CO_E_DLLNOTFOUND);
  EXPECT_EQ(object, nullptr);
}

TEST(ClassesRoot, TextRoundTripKeepsAwkwardValuesAndNamesIgnoreCase) {
  ClassesRoot root;
  root.SetValue("K", "", "C:\\Program Files\\a \"quoted\" name\r\nsecond line");
  root.SetValue("K", "Empty", "");
  root.CreateKey("K\\NoValues");
  for (const char* bad : {"", "a\\\\b", "\\a"}) {
    EXPECT_FALSE(root.CreateKey(bad)) << bad;
  }
  const std::string text = root.Format();
  EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\K]\n"
                      "@=\"C:\\\\Program Files\\\\a \\\"quoted\\\" name\\r\\nsecond line\"\n"),
            std::string::npos);
  std::string error;
  const std::optional<ClassesRoot> back = ClassesRoot::Parse(text, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->KeyPaths(), root.KeyPaths());
  EXPECT_EQ(back->Value("K"), root.Value("K"));
  EXPECT_EQ(back->Value("k", "EMPTY"), "");  // names ignore case
  EXPECT_EQ(back->Format(), text);
}

TEST(ClassesRoot, ParseAcceptsCrLfAndCommentsAndRejectsDamage) {
  EXPECT_TRUE(ClassesRoot::Parse("; note\r\n\r\n[HKEY_CLASSES_ROOT\\A]\r\n@=\"x\"\r\n"));
  const char* damaged[] = {"@=\"value before any key\"\n", "[HKEY_LOCAL_MACHINE\\A]\n",
                           "[HKEY_CLASSES_ROOT\\A]\n@=\"bad \\q escape\"\n"};
  for (const char* text : damaged) {
    std::string error;
    EXPECT_FALSE(ClassesRoot::Parse(text, &error)) << text;
    EXPECT_NE(error.find("line "), std::string::npos) << text;
  }
}

// Each test uses its own class ids: the table is process-wide.
CLSID TestClass(uint32_t n) {
  return {0xC1A55000 + n, 0x0C0B, 0x4E11, {0xA0, 0x5E, 0, 0, 0, 0, 0, static_cast<uint8_t>(n)}};
}

HRESULT Create(REFCLSID clsid) {
  ComPtr<ITestWidget> widget;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ITestWidget,
                          widget.ReleaseAndGetVoidAddressOf());
}

TEST(ClassRegistry, CreatesOnlyWhatItCanHandOverLeaksNothingAndRevokesOnce) {
  const CLSID clsid = TestClass(1);
  int calls = 0;
  const DWORD cookie = RegisterInProcessClass(clsid, [&calls]() -> IUnknown* {
    ++calls;
    return NewWidget();
  });
  EXPECT_EQ(Create(clsid), S_OK);
  EXPECT_EQ(Create(TestClass(2)), REGDB_E_CLASSNOTREG);  // ids are told apart
  const ULONG alive = ComObjectsAlive();
  void* out = &out;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_ITestWidget, nullptr), E_POINTER);
  EXPECT_EQ(calls, 1);
  // An interface the object lacks: created once, then released rather than leaked.
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_ITestMissing, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ComObjectsAlive(), alive);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
  EXPECT_EQ(Create(clsid), REGDB_E_CLASSNOTREG);
}

TEST(ClassRegistry, FactoryCountsServerLocksNeverBelowZeroAndIsNotALiveObject) {
  const ULONG alive = ComObjectsAlive(), locks = ComServerLocks();
  auto factory = ComPtr<IClassFactory>::Attach(NewClassFactory([] { return NewWidget(); }));
  EXPECT_EQ(ComObjectsAlive(), alive);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(ComServerLocks(), locks + 1);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(ComServerLocks(), locks);
  if (locks == 0) {
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
  }
  EXPECT_EQ(ComServerLocks(), locks);
}

TEST(BstrLayout, PrefixHoldsByteCountTextEndsWithZeroAndNullReadsEmpty) {
  BSTR text = SysAllocString(u"probe");
  uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
  EXPECT_EQ(bytes, 10u);
  EXPECT_EQ(text[5], u'\0');
  SysFreeString(text);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(Utf8FromBstr(nullptr), "");
  EXPECT_EQ(SysAllocStringLen(u"x", 0x80000000u), nullptr);  // byte count would not fit
}

TEST(BstrUtf8, RoundTripsEverySequenceLengthAndReplacesWhatIsIllFormed) {
  // 2-, 3- and 4-byte sequences (the emoji needs a surrogate pair); the last character has
  // the highest continuation byte.
  const std::string utf8 = "Gr\xC3\xB6\xC3\x9F \xE5\x9C\x86 \xF0\x9F\x98\x80!\xC3\xBF";
  BSTR text = BstrFromUtf8(utf8);
  EXPECT_EQ(U16FromBstr(text), u"Größ 圆 \U0001F600!ÿ");
  EXPECT_EQ(Utf8FromBstr(text), utf8);
  SysFreeString(text);

  const std::pair<std::string, std::u16string> cases[] = {
      {"a\xE2\x82z", u"a\uFFFDz"},                        // truncated, text after survives
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong '/'
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xFF\x80x", u"\uFFFD\uFFFDx"},                    // never a lead byte, stray continuation
  };
  for (const auto& [bytes, expected] : cases) {
    text = BstrFromUtf8(bytes);
    EXPECT_EQ(U16FromBstr(text), expected);
    SysFreeString(text);
  }
  const char16_t unpaired[] = {u'a', 0xD800, u'b', 0xDC00, 0xD83D};
  text = SysAllocStringLen(unpaired, 5);
  EXPECT_EQ(Utf8FromBstr(text),
            "a\uFFFD"
            "b\uFFFD\uFFFD");
  SysFreeString(text);
}

TEST(GuidText, ParsesAnyCaseFormatsUpperCaseWithBracesAndRoundTrips) {
  const GUID sample = {
      0x4C5CE8B0, 0xE05C, 0x11D2, {0x99, 0x8F, 0xB1, 0x1D, 0x00, 0xE7, 0x2B, 0x08}};
  EXPECT_EQ(ParseGuid("{4c5ce8b0-E05C-11d2-998F-b11d00e72b08}"), sample);
  EXPECT_EQ(ParseGuid("00000000-0000-0000-C000-000000000046"), IID_IUnknown);
  EXPECT_EQ(FormatGuid(sample), "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08}");
  const GUID extremes = {0xFFFFFFFF, 0x0001, 0xFFFE, {0xFF, 0, 0x80, 0x7F, 1, 0xFE, 0x10, 0x0F}};
  for (const GUID& guid : {extremes, GUID_NULL}) {
    EXPECT_EQ(ParseGuid(FormatGuid(guid)), guid);
  }
}

TEST(GuidText, RejectsAnythingButTheStrictForm) {
  const char* const bad[] = {
      "",
      "{4C5CE8B0-E05C-11D2-998F-B11D00E72B08",   // unbalanced braces
      "{4C5CE8B0-E05C-11D2-998F-B11D00E72B0}",   // one digit short
      "{4C5CE8BG-E05C-11D2-998F-B11D00E72B08}",  // not hex
      "{+C5CE8B0-E05C-11D2-998F-B11D00E72B08}",  // sign a number parser would take
      "{4C5CE8B-0E05C-11D2-998F-B11D00E72B08}",  // dash out of place
  };
  for (const char* text : bad) {
    EXPECT_FALSE(ParseGuid(text).has_value()) << text;
  }
}

ComVariant* Text(ComVariant* v, std::string_view utf8) {
  VariantClear(v);
  v->vt = VT_BSTR;
  v->bstrVal = BstrFromUtf8(utf8);
  return v;
}

VARIANT Number(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}

HRESULT Change(const VARIANT& source, VARTYPE vt, ComVariant* out) {
  return VariantChangeType(out, &source, 0, vt);
}

TEST(Variant, CopyDuplicatesStringsAndArraysSharesInterfacesAndClearFreesThem) {
  ComVariant text, array, object, copy;
  Text(&text, "probe");
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_EQ(Utf8FromBstr(copy.bstrVal), "probe");

  array.vt = VT_ARRAY | VT_R8;
  array.parray = SafeArrayCreateVector(VT_R8, 5, 2);
  LONG index = 6;
  double value = 2.5;
  SafeArrayPutElement(array.parray, &index, &value);
  ASSERT_EQ(VariantCopy(&copy, &array), S_OK);  // replaces the string, freeing it
  ASSERT_NE(copy.parray, array.parray);
  value = 0;
  SafeArrayGetElement(copy.parray, &index, &value);
  EXPECT_EQ(value, 2.5);

  bool destroyed = false;
  object.vt = VT_UNKNOWN;
  object.punkVal = NewWidget(&destroyed);
  ASSERT_EQ(VariantCopy(&copy, &object), S_OK);
  EXPECT_EQ(VariantClear(&object), S_OK);
  EXPECT_FALSE(destroyed);  // the copy holds its own reference
  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_TRUE(destroyed);
  copy.vt = 0x0FFF;  // no such type
  EXPECT_EQ(VariantClear(&copy), DISP_E_BADVARTYPE);
  copy.vt = VT_EMPTY;
}

// Text conversions run under a locale that writes decimal commas, as a host may have set: they
// must not care.
TEST(Variant, NumbersAndTextConvertRoundingHalfToEvenAndCheckingTheirRange) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  const struct {
    const char* text;  // the source when given, else `number`
    double number;
    VARTYPE target;
    HRESULT expected;
    double value;
  } cases[] = {
      {nullptr, 2.5, VT_I4, S_OK, 2},
      {nullptr, 2147483647.6, VT_I4, DISP_E_OVERFLOW, 0},
      {nullptr, -2147483648.0, VT_I4, S_OK, -2147483648.0},
      {nullptr, NAN, VT_I4, DISP_E_OVERFLOW, 0},
      {nullptr, 255.0, VT_UI1, S_OK, 255},
      {" 12.5 ", 0, VT_R8, S_OK, 12.5},
      {"+42", 0, VT_I4, S_OK, 42},
      {"4e-320", 0, VT_R8, S_OK, 4e-320},  // a subnormal reads as itself
      {"1e-400", 0, VT_R8, S_OK, 0.0},     // too small to tell from 0
      {"12,5", 0, VT_R8, DISP_E_TYPEMISMATCH, 0},
      {"0x10", 0, VT_R8, DISP_E_TYPEMISMATCH, 0},
      {"-1e400", 0, VT_R8, DISP_E_OVERFLOW, 0},  // never a silent 0 beyond a double's range
      {"-1e400", 0, VT_BOOL, DISP_E_OVERFLOW, 0},
  };
  for (const auto& c : cases) {
    ComVariant text, out;
    const VARIANT source = c.text ? *Text(&text, c.text) : Number(c.number);
    ASSERT_EQ(Change(source, c.target, &out), c.expected) << c.text << " " << c.number;
    EXPECT_EQ(out.vt, c.expected == S_OK ? c.target : VARTYPE{VT_EMPTY});  // failures leave it
    const double value = out.vt == VT_I4 ? out.lVal : out.vt == VT_UI1 ? out.bVal : out.dblVal;
    EXPECT_EQ(c.expected == S_OK ? value : 0.0, c.value) << c.text << " " << c.number;
  }
  std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(Variant, NumbersBecomeTextThatReadsBackTheSame) {
  ComVariant back, text;
  ASSERT_EQ(Change(Number(1.0 / 3.0), VT_BSTR, &text), S_OK);
  ASSERT_EQ(Change(text, VT_R8, &back), S_OK);
  EXPECT_EQ(back.dblVal, 1.0 / 3.0);
}

TEST(SafeArray, VectorHasItsBoundsElementsAndLock) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 4);
  ASSERT_NE(array, nullptr);
  VARTYPE vt = VT_EMPTY;
  EXPECT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
  EXPECT_EQ(vt, VT_R8);
  LONG upper = -1;
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(upper, 3);
  EXPECT_EQ(SafeArrayGetUBound(array, 2, &upper), DISP_E_BADINDEX);
  for (LONG i = 0; i < 4; ++i) {
    double value = 1.5 * i;
    ASSERT_EQ(SafeArrayPutElement(array, &i, &value), S_OK);
  }
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(static_cast<double*>(data)[3], 4.5);  // the elements lie in a row
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  for (LONG outside : {-1, 4, INT32_MAX}) {
    double value = 0;
    EXPECT_EQ(SafeArrayGetElement(array, &outside, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayPutElement(array, &outside, &value), DISP_E_BADINDEX);
  }
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

inline constexpr IID IID_ITestEvents = {
    0x6A1F0C30, 0x3B9E, 0x4D57, {0x8E, 0x10, 0x2C, 0x44, 0x91, 0x0B, 0x7A, 0x30}};

// A sink that writes each call into a shared log: "<name>:<dispid>(<args, natural order>)".
struct LoggingSink final : ComObject<IDispatch> {
  LoggingSink(std::string name, std::vector<std::string>* log) : name(std::move(name)), log(log) {}
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    std::string entry = name + ":" + std::to_string(dispid) + "(";
    for (UINT i = params->cArgs; i-- > 0;) {
      entry += std::to_string(params->rgvarg[i].lVal) + (i ? "," : "");
    }
    log->push_back(entry + ")");
    return S_OK;
  }
  std::string name;
  std::vector<std::string>* log;
};

// Owns a connection point the way an event source does.
class TestSource final : public ComObject<IConnectionPointContainer> {
 public:
  HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }
  EventConnectionPoint point{this, IID_ITestEvents};
};

TEST(EventConnectionPoint, FiresToEverySinkInConnectionOrderWithArgumentsLastFirst) {
  std::vector<std::string> log;
  auto source = MakeComObject<TestSource>();
  auto first = MakeComObject<LoggingSink>("first", &log);
  auto second = MakeComObject<LoggingSink>("second", &log);
  DWORD cookie1 = 0, cookie2 = 0;
  ASSERT_EQ(source->point.Advise(static_cast<IDispatch*>(second.Get()), &cookie2), S_OK);
  ASSERT_EQ(source->point.Advise(static_cast<IDispatch*>(first.Get()), &cookie1), S_OK);
  EXPECT_NE(cookie1, cookie2);

  VARIANT args[2];
  for (LONG i = 0; i < 2; ++i) {
    VariantInit(&args[i]);
    args[i].vt = VT_I4;
    args[i].lVal = 10 * (i + 1);
  }
  source->point.FireEvent(7, args, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"second:7(10,20)", "first:7(10,20)"}));

  log.clear();
  ASSERT_EQ(source->point.Unadvise(cookie2), S_OK);
  EXPECT_EQ(source->point.Unadvise(cookie2), CONNECT_E_NOCONNECTION);
  source->point.FireEvent(3, nullptr, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"first:3()"}));
  source->point.Unadvise(cookie1);
}

}  // namespace
