#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/error.h"
#include "platform/output_file.h"

namespace tamsolo {

OutputFile::OutputFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int code = errno;
    throw SystemError(CannotCreateFileText(path, code), code);
  }
  handle_ = fd;
}

OutputFile::~OutputFile() {
  ::close(static_cast<int>(handle_));
}

void OutputFile::Write(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  // write() may legitimately stop short (a signal, a pipe); only no progress is a failure.
  while (size > 0) {
    const ssize_t written = ::write(static_cast<int>(handle_), bytes, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      throw Error(WriteErrorText());
    bytes += written;
    size -= static_cast<size_t>(written);
  }
}

}  // namespace tamsolo
