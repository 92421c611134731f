#pragma once

#include <string>
#include <string_view>

namespace tamsolo {

// Bytes 0x00-0x1F and 0x7F: they could end a line, split a field or steer a terminal.
constexpr bool IsControlByte(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F;
}

// A control byte as text: "\t", "\n", "\r", or "\xHH" with two uppercase hex digits.
std::string EscapeControlByte(unsigned char byte);

// text with every control byte escaped as EscapeControlByte does, on POSIX a backslash as
// "\\", and the rest as it is, so that a name can neither add a line, nor send the terminal a
// control sequence, nor look like an escape.
std::string EscapeControlBytes(std::string_view text);

}  // namespace tamsolo
