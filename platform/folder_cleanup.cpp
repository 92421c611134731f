#include "platform/folder_cleanup.h"

#include "platform/error.h"
#include "platform/folder_lock.h"

namespace tamsolo {

bool RemoveFolderWithFiles(FileSystem& fs, const std::string& folder, PathStyle style) {
  if (const auto entries = fs.ListFolder(folder)) {
    for (const FileSystem::Entry& entry : *entries) {
      if (!entry.isFolder)
        fs.DeleteFile(AddTrailingDelimiter(folder, style) + entry.name);
    }
  }
  try {
    fs.RemoveFolder(folder);
    return true;
  } catch (const Error&) {
    return false;
  }
}

void RemoveStaleFolders(FileSystem& fs, const std::string& parent, const std::string& prefix,
                        const std::string& lockFile, PathStyle style) {
  const auto entries = fs.ListFolder(parent);
  if (!entries)
    return;
  const std::string suffix = "." + lockFile;
  for (const FileSystem::Entry& entry : *entries) {
    if (entry.name.rfind(prefix, 0) != 0)
      continue;
    const std::string path = AddTrailingDelimiter(parent, style) + entry.name;
    if (entry.isFolder && FolderLockIsStale(path, lockFile)) {
      RemoveFolderWithFiles(fs, path, style);  // locked from inside, by an earlier version
    } else if (!entry.isFolder && entry.name.ends_with(suffix) && LockFileIsStale(path)) {
      // A LockedFolder's lock: its folder goes first, the lock file only once it is gone.
      const std::string folder = path.substr(0, path.size() - suffix.size());
      if (IsOwnFolder(folder))
        RemoveFolderWithFiles(fs, folder, style);
      if (!fs.Exists(folder))
        fs.DeleteFile(path);
    }
  }
}

}  // namespace tamsolo
