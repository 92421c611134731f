#pragma once

#include <cstdint>
#include <string>

namespace tamsolo {

// A lock file inside a folder, held while this object lives, so that a later run can tell a
// folder in use from one that a killed run left behind (flock on POSIX; on Windows a handle
// that does not share deletion).
class FolderLock {
 public:
  // Creates the lock file fileName in folder, new, and takes the lock; throws SystemError.
  FolderLock(const std::string& folder, const std::string& fileName);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Deletes the lock file so that the folder can be emptied, removed or renamed. On POSIX the
  // lock is held on until the object goes; Windows cannot delete a file it holds open.
  void Remove();

 private:
  std::string path_;
  intptr_t handle_;
};

// The folder's lock file exists and nobody holds it: the run that made the folder is gone. A
// folder without a lock file, or on POSIX a link or another user's folder, is never called
// stale. On Windows the test deletes the lock file of a stale folder.
bool FolderLockIsStale(const std::string& folder, const std::string& fileName);

// The lock file at path exists and nobody holds it (POSIX: a regular file of this user, not
// a link). Unlike FolderLockIsStale it never deletes the file.
bool LockFileIsStale(const std::string& path);

// A folder itself, not a link or reparse point leading to one, and on POSIX this user's.
bool IsOwnFolder(const std::string& path);

}  // namespace tamsolo
