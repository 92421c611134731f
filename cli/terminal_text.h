#pragma once

#include <string>
#include <string_view>

namespace tamsolo {

// A line for the terminal: control bytes (0x00-0x1F, 0x7F) become "\n", "\t", "\r" or "\xHH",
// so that a name can neither add a line nor send the terminal a control sequence. Backslashes
// stay as they are: they are the delimiter of every Windows path.
std::string TerminalText(std::string_view text);

}  // namespace tamsolo
