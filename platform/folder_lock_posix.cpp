#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/error.h"
#include "platform/folder_lock.h"

namespace tamsolo {

FolderLock::FolderLock(const std::string& folder, const std::string& fileName)
    : path_(folder + "/" + fileName) {
  const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    if (fd >= 0)
      ::close(fd);
    throw SystemError("Cannot lock \"" + path_ + "\": " + std::strerror(code), code);
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
bool FolderLockIsStale(const std::string& folder, const std::string& fileName) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
    return false;
  const std::string path = folder + "/" + fileName;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

}  // namespace tamsolo
