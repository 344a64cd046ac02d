#include "src/procedures/run_files.h"

#include <string>

namespace ombrixdc {

namespace {
std::string MapPairName(int32_t mapNumber, const char* extension) {
  return "_circle" + std::to_string(mapNumber) + extension;
}
}  // namespace

std::filesystem::path MapFilePath(const std::filesystem::path& runFolder, int32_t mapNumber) {
  return runFolder / MapPairName(mapNumber, ".rsm");
}

std::filesystem::path CircleDataFilePath(const std::filesystem::path& runFolder,
                                         int32_t mapNumber) {
  return runFolder / MapPairName(mapNumber, ".rsd");
}

std::filesystem::path RawScanFilePath(const std::filesystem::path& runFolder, ScanKind scan) {
  return runFolder / (scan == ScanKind::Slow ? "ScanSlow.dat" : "ScanFast.dat");
}

std::filesystem::path ProbeFilePath(const std::filesystem::path& runFolder, ScanKind scan) {
  return runFolder / (scan == ScanKind::Slow ? "ProbeSlow.dat" : "ProbeFast.dat");
}

}  // namespace ombrixdc
