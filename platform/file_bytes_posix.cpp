#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/error.h"
#include "platform/file_bytes.h"

namespace tamsolo {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { ::close(fd_); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

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
// for one) cannot hang the run in open; only a regular file is read, blocking again.
int OpenRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    Fail("Cannot open file", path,
         code == ELOOP ? "it is a symbolic link, which is not followed" : std::strerror(code));
  }
  return fd;
}

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  const Descriptor file(OpenRegularFile(path));
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0)
    Fail("Cannot read file", path, std::strerror(errno));
  if (!S_ISREG(info.st_mode))
    Fail("Cannot read file", path, KindText(info.st_mode));
  const int flags = ::fcntl(file.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
    Fail("Cannot read file", path, std::strerror(errno));
  if (static_cast<uint64_t>(info.st_size) > maxBytes)
    throw Error("File too large: \"" + path + "\"");
  std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR)
      continue;
    if (count < 0)
      Fail("Cannot read file", path, std::strerror(errno));
    if (count == 0)
      break;  // the file shrank meanwhile: what is there is what is decoded
    done += static_cast<size_t>(count);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace tamsolo
