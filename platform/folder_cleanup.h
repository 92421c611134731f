#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace tamsolo {

// Deletes the files of a folder (it holds no sub-folders), then the folder; what cannot be
// deleted stays. False when the folder is still there.
bool RemoveFolderWithFiles(FileSystem& fs, const std::string& folder, PathStyle style);

// Removes every folder in parent whose name starts with prefix and whose lock a killed run
// left behind: the lock file "<folder>.<lockFile>" beside it (a LockedFolder's), removed
// after its folder, or lockFile inside it (FolderLockIsStale). Folders of live runs, and
// folders without the prefix, are never touched.
void RemoveStaleFolders(FileSystem& fs, const std::string& parent, const std::string& prefix,
                        const std::string& lockFile, PathStyle style);

}  // namespace tamsolo
