// The controller's settings store over INI files. A key that is missing gives the default
// passed; a file that cannot be read, or a value that is not a number where one is asked
// for, gives the default and E_FAIL. Numbers are read the same whatever the process locale.
#include <charconv>
#include <cmath>

#include "platform/com/object.h"
#include "platform/vexa/ini_file.h"
#include "platform/vexa/interfaces.h"
#include "platform/vexa/simulated_objects.h"

namespace vexa_sim {
namespace {

// The whole text must be the number; a leading '+' is allowed as the C library allows it.
template <class Number>
bool ParseNumber(std::string_view text, Number* number) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') {
      return false;
    }
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *number);
  return error == std::errc{} && end == text.data() + text.size();
}

class SettingsStore final : public ComObject<IVexa_settings> {
 public:
  HRESULT ReadDouble(BSTR section, BSTR key, double defaultValue, BSTR file,
                     double* value) override {
    if (!value) {
      return E_POINTER;
    }
    *value = defaultValue;
    IniLookup lookup;
    if (const HRESULT hr = LookUp(section, key, file, &lookup); hr != S_OK) {
      return FAILED(hr) ? hr : S_OK;  // a missing key leaves the default
    }
    double number = 0.0;
    // Infinities and NaN are no setting a machine can use.
    if (!ParseNumber(lookup.value, &number) || !std::isfinite(number)) {
      return E_FAIL;
    }
    *value = number;
    return S_OK;
  }

  HRESULT ReadInteger(BSTR section, BSTR key, LONG defaultValue, BSTR file, LONG* value) override {
    if (!value) {
      return E_POINTER;
    }
    *value = defaultValue;
    IniLookup lookup;
    if (const HRESULT hr = LookUp(section, key, file, &lookup); hr != S_OK) {
      return FAILED(hr) ? hr : S_OK;  // a missing key leaves the default
    }
    LONG number = 0;
    if (!ParseNumber(lookup.value, &number)) {
      return E_FAIL;
    }
    *value = number;
    return S_OK;
  }

  HRESULT ReadString(BSTR section, BSTR key, BSTR defaultValue, BSTR file, BSTR* value) override {
    if (!value) {
      return E_POINTER;
    }
    *value = nullptr;
    IniLookup lookup;
    const HRESULT hr = LookUp(section, key, file, &lookup);
    *value = hr == S_OK ? BstrFromUtf8(lookup.value) : SysAllocString(defaultValue);
    return hr == S_FALSE ? S_OK : hr;
  }

 private:
  // S_OK with the value found; S_FALSE when the key is missing (the caller keeps the
  // default); a failure status when the file cannot be read or the names are absent.
  static HRESULT LookUp(BSTR section, BSTR key, BSTR file, IniLookup* lookup) {
    if (!section || !key) {
      return E_INVALIDARG;
    }
    if (!file) {
      return E_FAIL;
    }
    *lookup = LookUpIniValue(Utf8FromBstr(file), Utf8FromBstr(section), Utf8FromBstr(key));
    switch (lookup->outcome) {
      case IniLookup::Outcome::Found:
        return S_OK;
      case IniLookup::Outcome::Missing:
        return S_FALSE;
      case IniLookup::Outcome::Unreadable:
        break;
    }
    return E_FAIL;
  }
};

}  // namespace

IUnknown* NewSettingsStore() {
  return NewObjectAs<SettingsStore, IVexa_settings>();
}

}  // namespace vexa_sim
