#include "platform/last_error_win.h"

#include <string>

#include "platform/error.h"
#include "platform/system_text.h"

namespace tamsolo {

void ThrowLastError(std::string_view what) {
  ThrowSystemError(what, GetLastError());
}

void ThrowSystemError(std::string_view what, DWORD code) {
  const int value = static_cast<int>(code);
  throw SystemError(std::string(what) + ": " + SystemErrorDescription(value), value);
}

}  // namespace tamsolo
