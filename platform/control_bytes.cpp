#include "platform/control_bytes.h"

#include "platform/paths.h"

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

// On POSIX a backslash is a byte of the name like any other, so it is doubled: a name holding
// a backslash and an n then never reads like one holding a line break. On Windows it is the
// path delimiter and no name holds one.
std::string EscapeControlBytes(std::string_view text) {
  const bool doubleBackslash = NativePathStyle() == PathStyle::Posix;
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsControlByte(byte))
      shown += EscapeControlByte(byte);
    else if (c == '\\' && doubleBackslash)
      shown += "\\\\";
    else
      shown += c;
  }
  return shown;
}

}  // namespace tamsolo
