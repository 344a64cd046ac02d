#include "src/files/file_output.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>

#include "platform/text/ascii.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ombrixdc {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporarySuffix = ".tmp";

enum class Written { Ok, Exists, Failed };

// Creates `path`, which must not exist yet, writes and closes it; the data reach the disk
// before the file is closed, so that a rename that follows never exposes a file whose contents
// were still in the cache. A file that was created but not completely written is removed.
Written WriteNewFile(const fs::path& path, std::string_view text) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wbx");
  if (file == nullptr) {
    return errno == EEXIST ? Written::Exists : Written::Failed;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fflush(file) == 0 && ok;
#if defined(__unix__) || defined(__APPLE__)
  ok = ::fsync(::fileno(file)) == 0 && ok;
#endif
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    std::error_code ignored;
    fs::remove(path, ignored);
    return Written::Failed;
  }
  return Written::Ok;
}

int64_t ProcessId() {
#if defined(__unix__) || defined(__APPLE__)
  return static_cast<int64_t>(::getpid());
#else
  return 0;
#endif
}

// "<name>.<process id>.<counter>.tmp" in the same folder, so that the rename stays on one file
// system, and no two writers (threads or processes) ever share a temporary. No map search or
// listing of map pairs takes such a name for a real file.
fs::path TemporaryPathFor(const fs::path& path, uint64_t counter) {
  const std::string suffix = "." + std::to_string(ProcessId()) + "." + std::to_string(counter) +
                             std::string(kTemporarySuffix);
  // A name the file system just takes would be too long with the suffix: shorten it, since
  // only the suffix makes the temporary's name unique.
  constexpr std::size_t kLongestName = 255;
  std::string name = path.filename().string();
  if (name.size() + suffix.size() > kLongestName) {
    name.resize(kLongestName - suffix.size());
  }
  return path.parent_path() / (name + suffix);
}

// Writes `text` to a new temporary file beside `path`; its name, or none on failure.
std::optional<fs::path> WriteTemporaryFor(const fs::path& path, std::string_view text) {
  static std::atomic<uint64_t> counter{0};
  // A name taken means a process of the same id left it behind (ids are reused): take the next.
  constexpr int32_t kAttempts = 100;
  for (int32_t attempt = 0; attempt < kAttempts; ++attempt) {
    const fs::path temporary = TemporaryPathFor(path, counter.fetch_add(1));
    const Written written = WriteNewFile(temporary, text);
    if (written == Written::Ok) {
      return temporary;
    }
    if (written == Written::Failed) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

void RemoveQuietly(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
}

bool Rename(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  return !error;
}

// Nothing, or a file that may be replaced: never a folder or anything else of that name.
bool AbsentOrRegularFile(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  return status.type() == fs::file_type::not_found || status.type() == fs::file_type::regular;
}

// A rename is only lasting once the folder's entry is on the disk too.
void SyncFolderOf(const fs::path& path) {
#if defined(__unix__) || defined(__APPLE__)
  fs::path folder = path.parent_path();
  if (folder.empty()) {
    folder = ".";
  }
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor >= 0) {
    ::fsync(descriptor);
    ::close(descriptor);
  }
#else
  (void)path;
#endif
}

bool IsDecimal(std::string_view text) {
  if (text.empty()) {
    return false;
  }
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

}  // namespace

bool WriteTextFile(const fs::path& path, std::string_view text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

bool WriteTextFileAtomically(const fs::path& path, std::string_view text) {
  const std::optional<fs::path> temporary = WriteTemporaryFor(path, text);
  if (!temporary) {
    return false;
  }
  if (!Rename(*temporary, path)) {
    RemoveQuietly(*temporary);
    return false;
  }
  SyncFolderOf(path);
  return true;
}

bool WriteMapFilePairAtomically(const fs::path& mapPath, std::string_view mapText,
                                const fs::path& circleDataPath, std::string_view circleDataText) {
  if (!AbsentOrRegularFile(mapPath) || !AbsentOrRegularFile(circleDataPath)) {
    return false;  // a folder or the like of that name is in the way; it is never removed
  }
  const std::optional<fs::path> mapTemporary = WriteTemporaryFor(mapPath, mapText);
  if (!mapTemporary) {
    return false;
  }
  const std::optional<fs::path> circleTemporary = WriteTemporaryFor(circleDataPath, circleDataText);
  if (!circleTemporary) {
    RemoveQuietly(*mapTemporary);
    return false;
  }
  // The old map file goes first: from then on until the new map file is in place the number
  // has no map file, so an interruption leaves the old pair, no pair, or the new pair, never
  // the new circle data file beside the old map.
  std::error_code removeError;
  fs::remove(mapPath, removeError);
  if (removeError || !Rename(*circleTemporary, circleDataPath)) {
    RemoveQuietly(*mapTemporary);
    RemoveQuietly(*circleTemporary);
    return false;
  }
  if (!Rename(*mapTemporary, mapPath)) {
    RemoveQuietly(*mapTemporary);
    return false;
  }
  SyncFolderOf(mapPath);
  return true;
}

std::optional<std::string> TemporaryTarget(std::string_view fileName) {
  if (fileName.size() <= kTemporarySuffix.size() ||
      !AsciiEqualsIgnoringCase(fileName.substr(fileName.size() - kTemporarySuffix.size()),
                               kTemporarySuffix)) {
    return std::nullopt;
  }
  std::string_view name = fileName.substr(0, fileName.size() - kTemporarySuffix.size());
  // "<name>.<process id>.<counter>", or "<name>" as earlier versions named their temporaries.
  const std::size_t counterDot = name.rfind('.');
  if (counterDot != std::string_view::npos && IsDecimal(name.substr(counterDot + 1))) {
    const std::string_view rest = name.substr(0, counterDot);
    const std::size_t processDot = rest.rfind('.');
    if (processDot != std::string_view::npos && IsDecimal(rest.substr(processDot + 1))) {
      name = rest.substr(0, processDot);
    }
  }
  return std::string(name);
}

}  // namespace ombrixdc
