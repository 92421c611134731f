#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/identity_key.h"
#include "platform/test_hook.h"

namespace tamsolo {
namespace {

[[noreturn]] void ThrowErrno(const std::string& what, const std::string& path, int code) {
  throw SystemError(what + " \"" + path + "\": " + std::strerror(code), code);
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now so that a failed close (lost data on some file systems) can be reported.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

void WriteAll(int fd, const char* data, size_t size, const std::string& path) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      ThrowErrno("Cannot write file", path, errno);
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
}

// Writes to a non-blocking FIFO or device, waiting for room a little at a time so that a stop
// request ends a wait for a reader that never reads.
void WriteWhileNotStopped(int fd, const char* data, size_t size, const std::string& path) {
  const std::atomic<bool>* stop = StreamWriteStop();
  while (size > 0) {
    if (stop && *stop)
      throw SystemError("Cannot write file \"" + path + "\": stopped", EINTR);
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EAGAIN) {  // EWOULDBLOCK is the same code on Linux
      pollfd room{fd, POLLOUT, 0};
      ::poll(&room, 1, 50);
      continue;
    }
    if (written < 0 && errno == EINTR)
      continue;
    if (written < 0)
      ThrowErrno("Cannot write file", path, errno);
    data += written;
    size -= static_cast<size_t>(written);
  }
}

class PosixWriter final : public FileSystem::Writer {
 public:
  PosixWriter(int fd, std::string path, bool stream)
      : fd_(fd), path_(std::move(path)), stream_(stream) {}
  void Write(const void* data, size_t size) override {
    if (stream_)
      WriteWhileNotStopped(fd_.Get(), static_cast<const char*>(data), size, path_);
    else
      WriteAll(fd_.Get(), static_cast<const char*>(data), size, path_);
  }
  void Close() override {
    if (fd_.Close() != 0)
      ThrowErrno("Cannot write file", path_, errno);
  }

 private:
  FileDescriptor fd_;
  std::string path_;
  bool stream_;  // a FIFO or a device, left non-blocking
};

class PosixFileSystem final : public FileSystem {
 public:
  Kind KindOf(const std::string& path) override {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
      return Kind::Missing;
    return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::File;
  }

  bool Exists(const std::string& path) override {
    struct stat info {};
    return !path.empty() && ::lstat(path.c_str(), &info) == 0;
  }

  std::vector<Entry> ReadFolder(const std::string& path) override {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir)
      ThrowErrno("Cannot read folder", path, errno);
    const std::string prefix = path.empty() || path.back() == '/' ? path : path + "/";
    std::vector<Entry> entries;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir.get());
      if (!entry)
        break;
      const std::string name = entry->d_name;
      if (name == "." || name == "..")
        continue;
      entries.push_back({name, KindOf(prefix + name) == Kind::Folder});
    }
    if (errno != 0)
      ThrowErrno("Cannot read folder", path, errno);
    return entries;
  }

  std::optional<std::string> FolderIdentity(const std::string& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
      return std::nullopt;
    return IdentityKey(info.st_dev, info.st_ino);
  }

  void CreateFolders(const std::string& path) override {
    if (KindOf(path) == Kind::Folder)
      return;
    // Create every missing ancestor from the top down; one that appears meanwhile is fine.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
      const std::string part = path.substr(0, end);
      if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
        ThrowErrno("Cannot create folder", part, errno);
      if (end == std::string::npos)
        break;
    }
    if (KindOf(path) != Kind::Folder)
      ThrowErrno("Cannot create folder", path, ENOTDIR);
  }

  void CreateFolderExclusive(const std::string& path) override {
    if (::mkdir(path.c_str(), 0777) != 0)
      ThrowErrno("Cannot create folder", path, errno);
  }

  void CreatePrivateFolder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0700) != 0)
      ThrowErrno("Cannot create folder", path, errno);
  }

  // A file system without RENAME_NOREPLACE gets a look first; rename() alone would replace
  // an empty folder of the new name.
  void RenameNoReplace(const std::string& from, const std::string& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
      return;
    if (errno != EINVAL && errno != ENOSYS)
      ThrowErrno("Cannot rename \"" + from + "\" to", to, errno);
    if (Exists(to))
      ThrowErrno("Cannot rename \"" + from + "\" to", to, EEXIST);
    if (::rename(from.c_str(), to.c_str()) != 0)
      ThrowErrno("Cannot rename \"" + from + "\" to", to, errno);
  }

  bool DeleteFile(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

  void RemoveFolder(const std::string& path) override {
    if (::rmdir(path.c_str()) != 0)
      ThrowErrno("Cannot remove folder", path, errno);
  }

  void CopyFile(const std::string& from, const std::string& to) override {
    FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.Get() < 0)
      ThrowErrno("Cannot open file", from, errno);
    FileDescriptor target(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (target.Get() < 0)
      ThrowErrno("Cannot create file", to, errno);
    char buffer[1 << 16];
    for (;;) {
      const ssize_t count = ::read(source.Get(), buffer, sizeof buffer);
      if (count < 0 && errno == EINTR)
        continue;
      if (count < 0)
        ThrowErrno("Cannot read file", from, errno);
      if (count == 0)
        break;
      WriteAll(target.Get(), buffer, static_cast<size_t>(count), to);
    }
    if (target.Close() != 0)
      ThrowErrno("Cannot write file", to, errno);
  }

  // Only a link the file system cannot make falls back to a copy: a name that exists, a
  // missing source or a full disk are errors either way.
  void LinkOrCopyFile(const std::string& from, const std::string& to) override {
    if (::link(from.c_str(), to.c_str()) == 0)
      return;
    const int code = errno;
    if (code != EXDEV && code != EPERM && code != EMLINK && code != ENOTSUP && code != ENOSYS)
      ThrowErrno("Cannot link file", to, code);
    CopyFile(from, to);
  }

  // Never blocks in open: a FIFO without a reader fails at once (ENXIO) instead of waiting for
  // one. A regular file's writes block as usual; a FIFO's or a device's wait for room only
  // until a stop request.
  std::unique_ptr<Writer> OpenForWriting(const std::string& path, Create how) override {
    const int flags = how == Create::New ? O_CREAT | O_EXCL | O_NOFOLLOW : O_CREAT | O_TRUNC;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | flags, 0666);
    if (fd < 0 && errno == ENXIO)
      throw SystemError("Cannot create file \"" + path + "\": no process reads the FIFO", ENXIO);
    if (fd < 0)
      ThrowErrno("Cannot create file", path, errno);
    struct stat info {};
    const bool stream =
        ::fstat(fd, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode));
    auto writer = std::make_unique<PosixWriter>(fd, path, stream);
    const int status = ::fcntl(fd, F_GETFL);
    if (!stream && (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0))
      ThrowErrno("Cannot create file", path, errno);
    return writer;
  }

  // An unnamed file proves it and can never be left behind; a file system without O_TMPFILE
  // gets the named probe.
  void ProveWritable(const std::string& folder, const std::string& probe) override {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
      FileSystem::ProveWritable(folder, probe);
      return;
    }
    if (fd < 0)
      ThrowErrno("Cannot create a file in", folder, errno);
    TestHook("write-probe");
    ::close(fd);
  }

  std::string TempFolder() override {
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : "/tmp";
    if (path.back() != '/')
      path += '/';
    return path;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace tamsolo
