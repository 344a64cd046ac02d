#include "src/files/file_output.h"

#include <cstdio>
#include <string>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>

namespace ombrixdc {

#endif

namespace {

// Writes and closes; with `durable`, the data reach the disk before the file is closed, so
// that a rename that follows never exposes a file whose contents were still in the cache.
bool WriteAll(const std::filesystem::path& path, std::string_view text, bool durable) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fflush(file) == 0 && ok;
#if defined(__unix__) || defined(__APPLE__)
  if (durable) {
    ok = ::fsync(::fileno(file)) == 0 && ok;
  }
#else
  (void)durable;
#endif
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& path) {
  // Same folder, so that the rename stays on one file system; an extension that no map
  // search or clean-up pattern ("*.rsm", "*.rsd") takes for a real file.
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  return temporary;
}

void RemoveQuietly(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

bool Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return !error;
}

// A rename is only lasting once the folder's entry is on the disk too.
void SyncFolderOf(const std::filesystem::path& path) {
#if defined(__unix__) || defined(__APPLE__)
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) {
    folder = ".";
  }
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (descriptor >= 0) {
    ::fsync(descriptor);
    ::close(descriptor);
  }
#else
  (void)path;
#endif
}

}  // namespace

bool WriteTextFile(const std::filesystem::path& path, std::string_view text) {
  return WriteAll(path, text, false);
}

bool WriteTextFileAtomically(const std::filesystem::path& path, std::string_view text) {
  const std::filesystem::path temporary = TemporaryPathFor(path);
  if (!WriteAll(temporary, text, true) || !Rename(temporary, path)) {
    RemoveQuietly(temporary);
    return false;
  }
  SyncFolderOf(path);
  return true;
}

bool WriteMapFilePairAtomically(const std::filesystem::path& mapPath, std::string_view mapText,
                                const std::filesystem::path& circleDataPath,
                                std::string_view circleDataText) {
  const std::filesystem::path mapTemporary = TemporaryPathFor(mapPath);
  const std::filesystem::path circleTemporary = TemporaryPathFor(circleDataPath);
  const bool written =
      WriteAll(mapTemporary, mapText, true) && WriteAll(circleTemporary, circleDataText, true);
  if (!written || !Rename(circleTemporary, circleDataPath)) {
    RemoveQuietly(mapTemporary);
    RemoveQuietly(circleTemporary);
    return false;
  }
  if (!Rename(mapTemporary, mapPath)) {
    RemoveQuietly(mapTemporary);
    return false;
  }
  SyncFolderOf(mapPath);
  return true;
}

}  // namespace ombrixdc
