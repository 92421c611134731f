#include <cstring>

#include "platform/system_text.h"

namespace tamsolo {

std::string SystemText(std::string_view utf8) {
  return std::string(utf8);
}

std::string SystemErrorDescription(int code) {
  return std::strerror(code);
}

}  // namespace tamsolo
