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
  for (const FileSystem::Entry& entry : *entries) {
    if (!entry.isFolder || entry.name.rfind(prefix, 0) != 0)
      continue;
    const std::string folder = AddTrailingDelimiter(parent, style) + entry.name;
    if (FolderLockIsStale(folder, lockFile))
      RemoveFolderWithFiles(fs, folder, style);
  }
}

}  // namespace tamsolo
