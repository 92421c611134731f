#pragma once

#include <string>
#include <string_view>

namespace tamsolo {

// The system's own texts are kept in UTF-8 in the sources; this turns one into the program's
// working code page (the ANSI code page on Windows, UTF-8 elsewhere).
std::string SystemText(std::string_view utf8);

// The operating system's description of an error code (errno on POSIX, GetLastError on
// Windows), in the program's code page, without a trailing line break or period.
std::string SystemErrorDescription(int code);

}  // namespace tamsolo
