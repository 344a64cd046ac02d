#pragma once
// Keeps writers of a folder's map pairs apart, in this process and in others: an advisory
// lock on the folder itself (nothing is created in it), let go when the holder goes out of
// scope, and by the system when the holding process ends or is killed.
#include <filesystem>

namespace ombrixdc {

class FolderLock {
 public:
  enum class Kind {
    Shared,     // reading a pair: other readers may hold it too
    Exclusive,  // choosing a pair's number and replacing it
  };
  // Waits for the lock. A folder that cannot be opened or locked (a file system without
  // locks) is not locked: the holder then goes on as it would without one.
  FolderLock(const std::filesystem::path& folder, Kind kind);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  [[nodiscard]] bool Held() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

}  // namespace ombrixdc
