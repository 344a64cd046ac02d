#include "src/component/automation/registration.h"

#include "platform/com/registry_store.h"
#include "platform/com/type_library_registration.h"
#include "src/component/automation/type_library.h"

namespace ombrixdc {

namespace {

#define OMBRIXDC_CLSID "{B84CFBEC-6B23-11D7-9362-005004553512}"
#define OMBRIXDC_CLASS_KEY "CLSID\\" OMBRIXDC_CLSID

constexpr RegistrationValue kApartment[] = {{"ThreadingModel", "Apartment"}};

constexpr RegistrationEntry kScript[] = {
    {"Corvane.Vexa_CircleDC.1", "Vexa_CircleDC Class"},
    {"Corvane.Vexa_CircleDC.1\\CLSID", OMBRIXDC_CLSID},
    {"Corvane.Vexa_CircleDC", "Vexa_CircleDC Class"},
    {"Corvane.Vexa_CircleDC\\CLSID", OMBRIXDC_CLSID},
    {"Corvane.Vexa_CircleDC\\CurVer", "Corvane.Vexa_CircleDC.1"},
    {"CLSID", std::nullopt, RegistrationFlag::NoRemove},
    {OMBRIXDC_CLASS_KEY, "Vexa_CircleDC Class", RegistrationFlag::ForceRemove},
    {OMBRIXDC_CLASS_KEY "\\ProgID", "Corvane.Vexa_CircleDC.1"},
    {OMBRIXDC_CLASS_KEY "\\VersionIndependentProgID", "Corvane.Vexa_CircleDC"},
    {OMBRIXDC_CLASS_KEY "\\Programmable", std::nullopt, RegistrationFlag::ForceRemove},
    {OMBRIXDC_CLASS_KEY "\\InprocServer32", "%MODULE%", RegistrationFlag::None, kApartment},
    {OMBRIXDC_CLASS_KEY "\\TypeLib", "{B84CFBDF-6B23-11D7-9362-005004553512}"},
};

#undef OMBRIXDC_CLASS_KEY
#undef OMBRIXDC_CLSID

TypeLibraryRecord LibraryRecord() {
  static const TypeLibraryInterface interfaces[] = {
      {CircleDCTypeLibrary().automation.iid, CircleDCTypeLibrary().automation.name, false},
      {CircleDCTypeLibrary().events.iid, CircleDCTypeLibrary().events.name, true},
  };
  const TypeLibraryDescription& library = CircleDCTypeLibrary();
  return {library.libid, library.majorVersion, library.minorVersion,
          library.lcid,  library.helpString,   interfaces};
}

}  // namespace

std::span<const RegistrationEntry> CircleDCRegistrationScript() {
  return kScript;
}

HRESULT RegisterCircleDCServer(std::string_view modulePath) {
  return UpdateClassesRoot([&](ClassesRoot& root) {
    ApplyRegistration(root, kScript, modulePath);
    RecordTypeLibrary(root, LibraryRecord(), modulePath);
    return S_OK;
  });
}

HRESULT UnregisterCircleDCServer() {
  return UpdateClassesRoot([](ClassesRoot& root) {
    RemoveRegistration(root, kScript);
    EraseTypeLibrary(root, LibraryRecord());
    return S_OK;
  });
}

}  // namespace ombrixdc
