#include "src/files/folder_lock.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace ombrixdc {

#if defined(__unix__) || defined(__APPLE__)

FolderLock::FolderLock(const std::filesystem::path& folder, Kind kind) {
  const std::filesystem::path path = folder.empty() ? std::filesystem::path(".") : folder;
  // Every lock opens the folder anew: locks of separate opens exclude each other, also
  // between two threads of one process.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    return;
  }
  const int operation = kind == Kind::Exclusive ? LOCK_EX : LOCK_SH;
  int result = 0;
  do {
    result = ::flock(descriptor, operation);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    ::close(descriptor);
    return;
  }
  descriptor_ = descriptor;
}

FolderLock::~FolderLock() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);  // closing the only descriptor of the open lets the lock go
  }
}

#else

FolderLock::FolderLock(const std::filesystem::path&, Kind) {}
FolderLock::~FolderLock() = default;

#endif

}  // namespace ombrixdc
