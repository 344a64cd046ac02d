// The readers and name lookups under the locales a host may set: decimal commas (de_DE) must
// not change a number, and a Turkish locale, where 'I' does not fold to 'i', must not change
// which name matches.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/com/bstr.h"
#include "platform/vexa/simulated_machine.h"
#include "src/component/automation/vexa_circle_dc.h"
#include "src/files/token_reader.h"
#include "src/services/settings_read.h"
#include "tests/support/dispatch_calls.h"
#include "tests/support/temp_folder.h"

namespace ombrixdc {

namespace {

TEST(HostLocale, ReadersAndNameLookupsAreTheSameUnderEveryLocale) {
  vexa_sim::RegisterSimulatedController();
  for (const char* name : {"de_DE.UTF-8", "tr_TR.UTF-8"}) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, name)) {
      ADD_FAILURE() << name << " is not installed: run scripts/install-deps";
      continue;
    }
    // File labels, white space and numbers.
    TokenReader reader("MeasuringUnit (0 mm, 1 INCHES):\v3.25\r\n");
    EXPECT_TRUE(reader.SkipPast("inches):")) << name;
    EXPECT_EQ(reader.ReadDouble(), 3.25) << name;

    // Settings sections and keys of the controller's INI file.
    TempFolder folder;
    const auto ini = folder.Write("settings.ini",
                                  "[OMBRIXDC]\r\nBUFFERPITCH=0.25\r\nDCMAPPITCH=0.5\r\n[KT410]\r\n"
                                  "KNOWNPARTSCANACCELERATION=200.5\r\nDCSPEEDFACTOR=2\r\n");
    const SettingsReadResult settings = ReadTuningSettings(1, ini.string());
    EXPECT_EQ(settings.values.bufferPitch, 0.25) << name;

    // Automation names.
    ComPtr<Vexa_CircleDC> object = MakeComObject<Vexa_CircleDC>();
    EXPECT_EQ(IdOf(object.Get(), "FILTERNUMBER"), 4) << name;
    ComBstr method("INITIALISEOBJECT"), parameter("LINK");
    LPOLESTR names[] = {method.Get(), parameter.Get()};
    DISPID ids[2] = {};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 2, 0, ids), S_OK) << name;
    EXPECT_EQ(ids[1], 0) << name;
    std::setlocale(LC_ALL, saved.c_str());
  }
}

}  // namespace

}  // namespace ombrixdc
