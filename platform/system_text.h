#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tamsolo {

// The system's own texts are kept in UTF-8 in the sources; this turns one into the program's
// working code page (the ANSI code page on Windows, UTF-8 elsewhere).
std::string SystemText(std::string_view utf8);

// The operating system's description of an error code (errno on POSIX, GetLastError on
// Windows), in the program's code page, without a trailing line break or period.
std::string SystemErrorDescription(int code);

// Code page 932 (Shift-JIS as Windows writes it) to UTF-8, through the system's converter;
// nothing where the bytes are not valid in that code page (a lone or cut-off lead byte, a lead
// byte followed by a byte that cannot trail it).
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// One Unicode character in code page 932; nothing where the code page cannot hold it, so a
// caller can name the miss instead of getting a look-alike or a "?".
std::optional<std::string> CodePointToCp932(char32_t codePoint);

}  // namespace tamsolo
