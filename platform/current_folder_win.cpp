#include <windows.h>

#include <vector>

#include "platform/current_folder.h"
#include "platform/last_error_win.h"

namespace tamsolo {

// The ANSI call, so that a Shift-JIS folder name arrives as the bytes the rest of the
// program compares.
std::string CurrentFolder() {
  DWORD size = MAX_PATH;
  for (;;) {
    std::vector<char> buffer(size);
    const DWORD length = GetCurrentDirectoryA(size, buffer.data());
    if (length == 0)
      ThrowLastError("Cannot read the current folder");
    if (length < size)
      return std::string(buffer.data(), length);
    size = length;  // the needed size, terminating zero included
  }
}

}  // namespace tamsolo
