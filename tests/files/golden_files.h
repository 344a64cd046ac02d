#pragma once
// The expected files of one offline learning run of the example bore: the map file, the
// circle data file and the data sets file, as a machine's stored files look.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace ombrixdc {

inline std::filesystem::path GoldenFolder() {
  return std::filesystem::path(OMBRIXDC_SOURCE_DIR) / "tests/files/golden/offline-learning";
}

inline std::string ReadGoldenFile(const std::string& name) {
  std::ifstream in(GoldenFolder() / name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace ombrixdc
