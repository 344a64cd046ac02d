#pragma once
// The file that holds the classes root. Readers take a consistent picture without a lock
// (every write replaces the file whole, by renaming a complete new file over it); writers
// hold an exclusive lock on a lock file beside it for the whole read-change-write, so two
// processes registering at once cannot lose each other's entries. The lock file is removed
// when the write ends, whether it succeeded or not.
//
// The file is the one named by the environment variable OMBRIXDC_REGISTRY when set, else
// ombrixdc/classes-root.reg under the user's configuration folder ($XDG_CONFIG_HOME, else
// ~/.config).
#include <filesystem>
#include <functional>

#include "platform/com/classes_root.h"
#include "platform/com/hresult.h"

std::filesystem::path RegistryStorePath();

// A missing file reads as an empty root. REGDB_E_READREGDB when the file cannot be read or
// is not a classes root.
HRESULT ReadClassesRoot(const std::filesystem::path& file, ClassesRoot* root);
HRESULT ReadClassesRoot(ClassesRoot* root);

// Locks the store against other writers, reads it, lets `edit` change it and, when `edit`
// succeeds, writes it back. A failing `edit` leaves the file as it was and its code is
// returned. REGDB_E_READREGDB or REGDB_E_WRITEREGDB when the file cannot be read or written;
// the folder is created when missing.
using ClassesRootEdit = std::function<HRESULT(ClassesRoot&)>;
HRESULT UpdateClassesRoot(const std::filesystem::path& file, const ClassesRootEdit& edit);
HRESULT UpdateClassesRoot(const ClassesRootEdit& edit);
