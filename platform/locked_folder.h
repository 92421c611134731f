#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "platform/paths.h"
#include "platform/run_folder_name.h"

namespace tamsolo {

// A uniquely named folder (prefix + MakeRunFolderName()) that a later run can always judge: its
// lock file beside it ("<folder>.<lockFile>") is taken before the folder is made and let go
// only once the folder is gone or renamed away. So at every moment the folder is either in
// use (its lock held) or left by a killed run (its lock file there and free; RemoveStaleFolders
// removes both), and a lock file without its folder is just as plainly stale.
class LockedFolder {
 public:
  // parent with its trailing delimiter. The test hooks "<hook>-locked" and "<hook>-made" mark
  // the moments after the lock and after the folder. Throws SystemError.
  LockedFolder(FileSystem& fileSystem, const std::string& parent, const std::string& prefix,
               const std::string& lockFile, FolderAccess access, const std::string& hook,
               PathStyle style);

  const std::string& Path() const { return path_; }

  // The folder is gone or renamed: its lock file goes too. Without it (the folder could not
  // be removed) the lock file stays, free once this object goes, for a later run.
  void Release();

 private:
  std::unique_ptr<FolderLock> lock_;
  std::string path_;
};

}  // namespace tamsolo
