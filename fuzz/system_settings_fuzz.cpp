// The offline system settings file ("System.dat") reader on any bytes. A read that succeeds has
// read every value, so what it gives cannot depend on what the values held before.
#include "fuzz/fuzz_support.h"
#include "src/files/system_settings_file.h"

using namespace ombrixdc;

namespace {

std::vector<double> Values(const SystemSettings& s) {
  const MatchTolerances& t = s.tolerances;
  std::vector<double> all{double(s.measuringUnit),
                          s.headAngleA,
                          s.headAngleB,
                          double(s.probeType),
                          t.centre,
                          t.radius,
                          t.speed,
                          t.acceleration,
                          t.startAngle,
                          t.fine,
                          s.positionalTolerance};
  for (const CMaPoint& p : {s.probeOffsets, s.centre, s.xaxis, s.normal}) {
    all.insert(all.end(), {p.x(), p.y(), p.z()});
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::Text(data, size);
  SystemSettings fromDefaults;
  SystemSettings fromOther{
      7, 7.0, 7.0, 7, {7, 7, 7}, {7, 7, 7}, {7, 7, 7}, {7, 7, 7}, {7, 7, 7, 7, 7, 7}, 7.0};
  TokenReader first(text);
  TokenReader second(text);
  const ErrorNumber error = ReadSystemSettings(first, fromDefaults);
  FUZZ_CHECK(ReadSystemSettings(second, fromOther) == error);
  if (error == ErrorNumber::None) {
    FUZZ_CHECK(fuzz::Same(Values(fromDefaults), Values(fromOther)));
  }
  return 0;
}
