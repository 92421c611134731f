#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, const std::string& reason) {
  throw Error(std::string(what) + " \"" + path + "\": " + reason);
}

const char* KindText(mode_t mode) {
  if (S_ISDIR(mode))
    return "it is a folder";
  if (S_ISFIFO(mode))
    return "it is a FIFO";
  if (S_ISSOCK(mode))
    return "it is a socket";
  return "it is a device";
}

// Opened without blocking and without following a link, so that a FIFO (or a file swapped
// for one) cannot hang the run in open.
int OpenWithoutBlocking(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    Fail("Cannot open file", path,
         code == ELOOP ? "it is a symbolic link, which is not followed" : std::strerror(code));
  }
  return fd;
}

// Only a regular file is read, blocking again; returns its size.
uint64_t CheckRegularFile(int fd, const std::string& path) {
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    Fail("Cannot read file", path, std::strerror(errno));
  if (!S_ISREG(info.st_mode))
    Fail("Cannot read file", path, KindText(info.st_mode));
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
    Fail("Cannot read file", path, std::strerror(errno));
  return static_cast<uint64_t>(info.st_size);
}

}  // namespace

FileReader::FileReader(const std::string& path) : path_(path) {
  const int fd = OpenWithoutBlocking(path);
  try {
    size_ = CheckRegularFile(fd, path);
  } catch (...) {
    ::close(fd);
    throw;
  }
  handle_ = fd;
}

FileReader::~FileReader() {
  if (!inMemory_)
    ::close(static_cast<int>(handle_));
}

int64_t FileReader::TryRead(void* data, size_t size) noexcept {
  if (inMemory_)
    return MemoryRead(data, size);
  auto* out = static_cast<uint8_t*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t count = ::read(static_cast<int>(handle_), out + done, size - done);
    if (count < 0 && errno == EINTR)
      continue;
    if (count < 0) {
      lastError_ = errno;
      return -1;
    }
    if (count == 0)
      break;
    done += static_cast<size_t>(count);
    bytesRead_ += static_cast<uint64_t>(count);
  }
  return static_cast<int64_t>(done);
}

size_t FileReader::Read(void* data, size_t size) {
  const int64_t count = TryRead(data, size);
  if (count < 0)
    Fail("Cannot read file", path_, std::strerror(lastError_));
  return static_cast<size_t>(count);
}

bool FileReader::Skip(uint64_t count) noexcept {
  if (inMemory_) {
    memoryPosition_ += count;
    return true;
  }
  return ::lseek(static_cast<int>(handle_), static_cast<off_t>(count), SEEK_CUR) >= 0;
}

size_t FileReader::ReadAt(uint64_t offset, uint8_t* out, size_t count) {
  if (inMemory_)
    return MemoryReadAt(offset, out, count);
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(static_cast<int>(handle_), out + done, count - done,
                                static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      Fail("Cannot read file", path_, std::strerror(errno));
    if (got == 0)
      break;
    done += static_cast<size_t>(got);
    bytesRead_ += static_cast<uint64_t>(got);
  }
  return done;
}

}  // namespace tamsolo
