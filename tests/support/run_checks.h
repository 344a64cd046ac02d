#pragma once
// What every run leaves behind whatever went wrong: the process back to its thread count, and a
// run directory holding only complete, readable map pairs and no temporary file.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "src/files/circle_data_file.h"
#include "src/files/map_file.h"
#include "src/files/token_reader.h"

inline int32_t ThreadCount() {
  return static_cast<int32_t>(
      std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

// Whether the process is back to `count` threads: a joined thread may stay listed for a moment
// after the join returns, while the kernel finishes ending it (a bounded wait, generous for a
// busy machine).
inline bool ThreadCountFallsTo(int32_t count, int32_t waitMilliseconds = 10000) {
  for (int32_t i = 0; i < waitMilliseconds && ThreadCount() > count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return ThreadCount() == count;
}

// The run directory's map files without their partner or not readable to the end, and its
// temporary files; empty when there are none.
inline std::vector<std::string> IncompleteMapPairs(const std::filesystem::path& runDir) {
  namespace fs = std::filesystem;
  std::vector<std::string> problems;
  std::error_code noFolder;
  for (const auto& entry : fs::directory_iterator(runDir, noFolder)) {
    const fs::path path = entry.path();
    if (path.extension() == ".tmp") {
      problems.push_back("temporary file left: " + path.string());
    }
    if (!entry.is_regular_file() || (path.extension() != ".rsm" && path.extension() != ".rsd")) {
      continue;
    }
    fs::path partner = path;
    partner.replace_extension(path.extension() == ".rsm" ? ".rsd" : ".rsm");
    if (!fs::is_regular_file(partner)) {
      problems.push_back("map file without its partner: " + path.string());
    }
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    ombrixdc::TokenReader reader(text.str());
    const ombrixdc::ErrorNumber error = path.extension() == ".rsm"
                                            ? ombrixdc::ReadMapData(reader).error
                                            : ombrixdc::ReadCircleDataFile(reader).error;
    if (error != ombrixdc::ErrorNumber::None) {
      problems.push_back("map file not readable: " + path.string());
    }
  }
  return problems;
}
