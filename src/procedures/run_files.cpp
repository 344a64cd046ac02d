#include "src/procedures/run_files.h"

#include <limits>
#include <string>

#include "platform/text/ascii.h"
#include "src/files/file_output.h"

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

std::optional<MapPairFileName> ParseMapPairFileName(std::string_view fileName) {
  MapPairFileName parsed;
  const std::optional<std::string> target = TemporaryTarget(fileName);
  std::string_view name = fileName;
  if (target) {
    parsed.temporary = true;
    name = *target;
  }
  constexpr std::string_view kPrefix = "_circle";
  constexpr std::size_t kExtensionLength = 4;  // ".rsm", ".rsd"
  if (name.size() < kPrefix.size() + 1 + kExtensionLength ||
      !AsciiEqualsIgnoringCase(name.substr(0, kPrefix.size()), kPrefix)) {
    return std::nullopt;
  }
  const std::string_view extension = name.substr(name.size() - kExtensionLength);
  if (AsciiEqualsIgnoringCase(extension, ".rsd")) {
    parsed.circleData = true;
  } else if (!AsciiEqualsIgnoringCase(extension, ".rsm")) {
    return std::nullopt;
  }
  const std::string_view digits =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kExtensionLength);
  if (digits.empty() || digits.front() == '0') {
    return std::nullopt;
  }
  int64_t number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    number = number * 10 + (c - '0');
    if (number > std::numeric_limits<int32_t>::max()) {
      return std::nullopt;
    }
  }
  parsed.mapNumber = static_cast<int32_t>(number);
  return parsed;
}

std::filesystem::path RawScanFilePath(const std::filesystem::path& runFolder, ScanKind scan) {
  return runFolder / (scan == ScanKind::Slow ? "ScanSlow.dat" : "ScanFast.dat");
}

std::filesystem::path ProbeFilePath(const std::filesystem::path& runFolder, ScanKind scan) {
  return runFolder / (scan == ScanKind::Slow ? "ProbeSlow.dat" : "ProbeFast.dat");
}

}  // namespace ombrixdc
