#pragma once
// Folders that hold what is the user's own: the runtime folder with the lock file and the
// sockets, the settings, the databases with the recorded macros. Such a folder belongs to the
// user and nobody else may write into it. One that another user owns, or that others may
// write into, is refused rather than repaired: whoever could write there could also have
// planted a socket or a database.

#include <filesystem>
#include <string>

namespace platform {

enum class FolderLinks {
  kFollow,  // a symbolic link to a folder is taken (a data folder moved to another disk)
  kRefuse,  // the path itself must be the folder (anything in a shared temporary folder)
};

// Creates `folder` and its missing parents with mode 0700, then checks it: a folder this user
// owns that neither its group nor others may write. A folder that passes is narrowed to 0700.
// False, with the reason in `error` when given, when the folder cannot be made or is refused.
bool PreparePrivateFolder(const std::filesystem::path& folder, FolderLinks links,
                          std::string* error = nullptr);

// From now on the files and folders this process creates are its user's alone (the umask
// gains the group and other bits). Call before any thread starts.
void KeepNewFilesPrivate();

}  // namespace platform
