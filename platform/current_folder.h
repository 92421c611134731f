#pragma once

#include <string>

namespace tamsolo {

// The process's current folder as a full path in the program's code page (the ANSI code page
// on Windows), without a trailing delimiter unless it is a root. Throws SystemError.
std::string CurrentFolder();

}  // namespace tamsolo
