#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/error.h"
#include "platform/folder_lock.h"

namespace tamsolo {

namespace {

// The lock file made locked from its first moment: an unnamed file, locked, then linked in
// under its name (which fails, replacing nothing, when the name is taken). -1 with errno
// when the file system or a missing /proc cannot do it.
int CreateLockedFile(const std::string& folder, const std::string& path) {
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0)
    return -1;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    const int code = errno;
    ::close(fd);
    errno = code;
    return -1;
  }
  return fd;
}

[[noreturn]] void ThrowLockError(const std::string& path, int code) {
  throw SystemError("Cannot lock \"" + path + "\": " + std::strerror(code), code);
}

}  // namespace

// Elsewhere the file is made, then locked: a run that looks in between finds it free and
// may take it for a killed run's.
FolderLock::FolderLock(const std::string& folder, const std::string& fileName)
    : path_(folder + "/" + fileName) {
  int fd = CreateLockedFile(folder, path_);
  if (fd < 0 && errno == EEXIST)
    ThrowLockError(path_, EEXIST);
  if (fd < 0) {
    fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int code = errno;
      if (fd >= 0)
        ::close(fd);
      ThrowLockError(path_, code);
    }
  }
  handle_ = fd;
}

FolderLock::~FolderLock() {
  ::close(static_cast<int>(handle_));
}

void FolderLock::Remove() {
  ::unlink(path_.c_str());
}

// Only a real folder of this user counts: in a shared temp folder anyone may plant a link.
bool IsOwnFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

bool LockFileIsStale(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
    return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

bool FolderLockIsStale(const std::string& folder, const std::string& fileName) {
  return IsOwnFolder(folder) && LockFileIsStale(folder + "/" + fileName);
}

}  // namespace tamsolo
