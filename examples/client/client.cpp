// One offline learning run of the circle dynamic compensation component, driven as a measuring
// application drives it, from the public headers and libombrixdc.so alone.
//
//   ombrixdc_client SIMULATOR_MODULE [SETTINGS_FILE]
//
// SIMULATOR_MODULE is the simulated controller's module (ombrixdc-simulated-controller.so);
// SETTINGS_FILE defaults to settings.ini in the current folder.
#include <dlfcn.h>

#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "CoVexa_OmbrixDC.h"

// The component's module is linked in: its class factory entry point and the automation
// helpers of OmbrixDC_com.h come from libombrixdc.so.
extern "C" HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv);

namespace {

// The controller's link interface and the simulated controller's link class, as the
// controller's own documentation gives them.
constexpr IID kIID_IVexa_link = {
    0x4C5CE8B0, 0xE05C, 0x11D2, {0x99, 0x8F, 0xB1, 0x1D, 0x00, 0xE7, 0x2B, 0x08}};
constexpr CLSID kCLSID_SimulatedLink = {
    0x3D8E6A52, 0x1F4B, 0x4C9D, {0x8E, 0x27, 0x5B, 0x6A, 0x0C, 0x1D, 0x9F, 0x31}};

// Shortest text that reads back as the same double, as `ombrixdc run` prints numbers.
std::string Number(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// Receives the component's events: prints each one and lets the main thread wait for the
// end of the run. Events arrive on the run's own thread.
class EventSink final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) {
      return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IVexa_CircleDCEvents) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    const LONG argument = params && params->cArgs == 1 ? params->rgvarg[0].lVal : 0;
    std::lock_guard lock(mutex_);
    if (dispid == DISPID_OnStatusChange) {
      std::printf("OnStatusChange %d\n", argument);
    } else if (dispid == DISPID_PerformCircleComplete) {
      std::printf("PerformCircleComplete %d\n", argument);
      completed_ = true;
      done_.notify_all();
    }
    std::fflush(stdout);
    return S_OK;
  }

  void WaitForCompletion() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return completed_; });
  }

 private:
  std::atomic<ULONG> references_{1};
  std::mutex mutex_;
  std::condition_variable done_;
  bool completed_ = false;
};

struct Bstr {
  explicit Bstr(const char16_t* text) : value(SysAllocString(text)) {}
  ~Bstr() { SysFreeString(value); }
  BSTR value;
};

bool Failed(HRESULT hr, const char* what) {
  if (hr >= 0) {
    return false;
  }
  std::fprintf(stderr, "ombrixdc_client: %s failed: 0x%08X\n", what, static_cast<unsigned>(hr));
  return true;
}

// Sets the properties of the example's bore: radius 8, tip 1.5, learning, offline.
void SetFeature(IVexa_CircleDC* dc, const char* settings) {
  std::u16string path(settings, settings + std::char_traits<char>::length(settings));
  Bstr iniFile(path.c_str());
  Bstr header(u"Example");
  dc->put_IniFilepath(iniFile.value);
  dc->put_OfflineTesting(1);
  dc->put_Learning(E_OMBRIX_DC_CIRCLE_LEARNING);
  dc->put_FeatureRadius(8.0);
  dc->put_TipRadius(1.5);
  dc->put_ScanDeflection(0.3);
  dc->put_SlowSpeed(5.0);
  dc->put_ModeParameter(30.0);
  dc->put_MaxScanSpeed(100.0);
  dc->put_FilterNumber(20);
  dc->put_FilterMethod(1);
  dc->put_HeaderInfo1(header.value);
}

void PrintDataSets(IVexa_CircleDC* dc) {
  const char* const names[] = {"Slow", "Fast", "Corrected", "SlowMap", "FastMap", "CorrectedMap"};
  for (int type = E_OMBRIX_DC_CIRCLE_DATA_SLOW; type <= E_OMBRIX_DC_CIRCLE_DATA_CORRECTEDMAP;
       ++type) {
    double form = 0, radius = 0, x = 0, y = 0, z = 0;
    SAFEARRAY *xs = nullptr, *ys = nullptr, *zs = nullptr;
    LONG success = 0;
    dc->GetData(static_cast<EDataType>(type), &form, &radius, &x, &y, &z, &xs, &ys, &zs, &success);
    LONG lower = 0, upper = -1;
    if (success) {
      SafeArrayGetLBound(xs, 1, &lower);
      SafeArrayGetUBound(xs, 1, &upper);
    }
    std::printf("DataSet %s points %d centre %s %s %s radius %s form %s\n", names[type],
                upper - lower + 1, Number(x).c_str(), Number(y).c_str(), Number(z).c_str(),
                Number(radius).c_str(), Number(form).c_str());
    SafeArrayDestroy(xs);
    SafeArrayDestroy(ys);
    SafeArrayDestroy(zs);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ombrixdc_client SIMULATOR_MODULE [SETTINGS_FILE]\n");
    return 2;
  }
  const char* settings = argc > 2 ? argv[2] : "settings.ini";

  // The simulated controller: registered so that the component can create its objects.
  void* simulator = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!simulator) {
    std::fprintf(stderr, "ombrixdc_client: %s\n", dlerror());
    return 1;
  }
  using Entry = HRESULT (*)();
  const auto registerServer = reinterpret_cast<Entry>(dlsym(simulator, "DllRegisterServer"));
  const auto unregisterServer = reinterpret_cast<Entry>(dlsym(simulator, "DllUnregisterServer"));
  const auto simulatorClasses =
      reinterpret_cast<DllGetClassObjectFunction>(dlsym(simulator, "DllGetClassObject"));
  if (!registerServer || !unregisterServer || !simulatorClasses ||
      Failed(registerServer(), "registering the simulated controller")) {
    return 1;
  }

  int status = 1;
  IClassFactory* factory = nullptr;
  IUnknown* linkObject = nullptr;
  IUnknown* link = nullptr;  // the object's IVexa_link interface
  IVexa_CircleDC* dc = nullptr;
  IConnectionPointContainer* container = nullptr;
  IConnectionPoint* point = nullptr;
  EventSink sink;
  DWORD cookie = 0;
  if (!Failed(simulatorClasses(kCLSID_SimulatedLink, IID_IClassFactory,
                               reinterpret_cast<void**>(&factory)),
              "the link's class factory") &&
      !Failed(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&linkObject)),
              "creating the link") &&
      !Failed(linkObject->QueryInterface(kIID_IVexa_link, reinterpret_cast<void**>(&link)),
              "the link's interface")) {
    factory->Release();
    factory = nullptr;
    if (!Failed(DllGetClassObject(CLSID_Vexa_CircleDC, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory)),
                "the component's class factory") &&
        !Failed(factory->CreateInstance(nullptr, IID_IVexa_CircleDC, reinterpret_cast<void**>(&dc)),
                "creating Vexa_CircleDC") &&
        !Failed(
            dc->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
            "IConnectionPointContainer") &&
        !Failed(container->FindConnectionPoint(DIID__IVexa_CircleDCEvents, &point),
                "the event connection point") &&
        !Failed(point->Advise(&sink, &cookie), "connecting the event sink")) {
      LONG success = 0;
      dc->InitialiseObject(reinterpret_cast<IVexa_link*>(link), nullptr, &success);
      SetFeature(dc, settings);
      double x = 0, y = 0, z = 0;
      dc->GetStartPosition(&x, &y, &z, &success);
      std::printf("StartPosition %s %s %s %d\n", Number(x).c_str(), Number(y).c_str(),
                  Number(z).c_str(), success);
      std::fflush(stdout);
      LONG error = 0;
      if (success) {
        dc->EnterProbeOffsets(0.0, 0.0, 0.0);
        if (dc->PerformCircle() == S_OK) {
          sink.WaitForCompletion();
        }
        LONG completed = 0;
        dc->GetPerformCircleComplete(&completed, &success);
      }
      dc->get_GetLastError(&error);
      std::printf("GetLastError 0x%08X\n", static_cast<unsigned>(error));
      if (success && error == 0) {
        Bstr name(u"results");
        dc->SaveData(name.value, &success);
        std::printf("SaveData %d\n", success);
        PrintDataSets(dc);
        status = success ? 0 : 1;
      }
      point->Unadvise(cookie);
    }
  }
  for (IUnknown* object :
       {static_cast<IUnknown*>(point), static_cast<IUnknown*>(container),
        static_cast<IUnknown*>(dc), static_cast<IUnknown*>(factory), link, linkObject}) {
    if (object) {
      object->Release();
    }
  }
  unregisterServer();
  return status;
}
