#include "platform/control_bytes.h"

namespace tamsolo {

std::string EscapeControlByte(unsigned char byte) {
  switch (byte) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    default:
      break;
  }
  constexpr const char* kHexDigits = "0123456789ABCDEF";
  return {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
}

std::string EscapeControlBytes(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsControlByte(byte))
      shown += EscapeControlByte(byte);
    else
      shown += c;
  }
  return shown;
}

}  // namespace tamsolo
