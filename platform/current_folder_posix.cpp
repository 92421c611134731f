#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/current_folder.h"
#include "platform/error.h"

namespace tamsolo {

std::string CurrentFolder() {
  for (size_t size = 256;; size *= 2) {
    std::vector<char> buffer(size);
    if (::getcwd(buffer.data(), buffer.size()))
      return buffer.data();
    if (errno != ERANGE)
      throw SystemError(std::string("Cannot read the current folder: ") + std::strerror(errno),
                        errno);
  }
}

}  // namespace tamsolo
