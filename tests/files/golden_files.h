#pragma once
// The expected files of one offline learning run of the example bore: the map file, the
// circle data file and the data sets file, as a machine's stored files look.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace ombrixdc {

inline std::filesystem::path GoldenFolder() {
  return std::filesystem::path(OMBRIXDC_SOURCE_DIR) / "tests/files/golden/offline-learning";
}

// The bytes of a file, empty when it cannot be read.
inline std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline std::string ReadGoldenFile(const std::string& name) {
  return FileText(GoldenFolder() / name);
}

}  // namespace ombrixdc
