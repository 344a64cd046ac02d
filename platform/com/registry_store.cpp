#include "platform/com/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

fs::path HomeFolder() {
  std::string home = EnvironmentValue("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid())) {
      home = entry->pw_dir ? entry->pw_dir : "";
    }
  }
  return home;
}

// An open descriptor closed on every path out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

bool WriteAll(int fd, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

// Writes a complete new file beside the old one and renames it over the old one, so that a
// reader or a crash sees either the old root or the new one, never half of one.
HRESULT WriteAtomically(const fs::path& file, const std::string& text) {
  static std::atomic<unsigned> counter{0};
  const fs::path temporary =
      file.string() + "." + std::to_string(getpid()) + "." + std::to_string(counter++) + ".tmp";
  bool ok = false;
  {
    FileDescriptor fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    ok = fd.Get() >= 0 && WriteAll(fd.Get(), text) && fsync(fd.Get()) == 0;
  }
  if (ok) {
    ok = rename(temporary.c_str(), file.c_str()) == 0;
  }
  if (!ok) {
    unlink(temporary.c_str());
    return REGDB_E_WRITEREGDB;
  }
  // Make the rename itself durable.
  FileDescriptor folder(open(file.parent_path().empty() ? "." : file.parent_path().c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() >= 0) {
    fsync(folder.Get());
  }
  return S_OK;
}

// An exclusive lock on a lock file beside the store, held for one read-change-write and
// removed with it, so that no lock file outlives its writer. A writer that waited on a lock
// file the holder has since removed finds its file gone (or replaced) and tries again on the
// current one, so two writers never hold locks on different files at once.
class StoreLock {
 public:
  explicit StoreLock(fs::path lockFile) : path_(std::move(lockFile)) {
    for (;;) {
      fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
      if (fd_ < 0) {
        return;
      }
      int locked = 0;
      while ((locked = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
      }
      struct stat held {};
      struct stat current {};
      if (locked == 0 && fstat(fd_, &held) == 0 && stat(path_.c_str(), &current) == 0 &&
          held.st_dev == current.st_dev && held.st_ino == current.st_ino) {
        return;
      }
      close(fd_);
      fd_ = -1;
      if (locked != 0) {
        return;
      }
    }
  }
  ~StoreLock() {
    if (fd_ >= 0) {
      unlink(path_.c_str());  // while still held: the next writer then retries
      close(fd_);
    }
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  fs::path path_;
  int fd_ = -1;
};

}  // namespace

fs::path RegistryStorePath() {
  const std::string explicitFile = EnvironmentValue("OMBRIXDC_REGISTRY");
  if (!explicitFile.empty()) {
    return explicitFile;
  }
  fs::path config = EnvironmentValue("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and is to be ignored.
  if (config.empty() || config.is_relative()) {
    config = HomeFolder() / ".config";
  }
  return config / "ombrixdc" / "classes-root.reg";
}

HRESULT ReadClassesRoot(const fs::path& file, ClassesRoot* root) {
  if (!root) {
    return E_POINTER;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::error_code error;
    if (!fs::exists(file, error) && !error) {
      *root = ClassesRoot();
      return S_OK;
    }
    return REGDB_E_READREGDB;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    return REGDB_E_READREGDB;
  }
  std::optional<ClassesRoot> parsed = ClassesRoot::Parse(text.str());
  if (!parsed) {
    return REGDB_E_READREGDB;
  }
  *root = std::move(*parsed);
  return S_OK;
}

HRESULT ReadClassesRoot(ClassesRoot* root) {
  return ReadClassesRoot(RegistryStorePath(), root);
}

HRESULT UpdateClassesRoot(const fs::path& file, const ClassesRootEdit& edit) {
  std::error_code error;
  if (file.has_parent_path()) {
    fs::create_directories(file.parent_path(), error);
  }
  // The lock lives in a file of its own: the store file itself is replaced by each write, and
  // a lock on a replaced file would protect nothing.
  const StoreLock lock(file.string() + ".lock");
  if (!lock.Held()) {
    return REGDB_E_WRITEREGDB;
  }
  ClassesRoot root;
  HRESULT hr = ReadClassesRoot(file, &root);
  if (FAILED(hr)) {
    return hr;  // never overwrite a store that could not be read
  }
  hr = edit(root);
  if (FAILED(hr)) {
    return hr;
  }
  return WriteAtomically(file, root.Format());
}  // the lock and its file go with `lock`

HRESULT UpdateClassesRoot(const ClassesRootEdit& edit) {
  return UpdateClassesRoot(RegistryStorePath(), edit);
}
