#pragma once

#include <windows.h>

#include <string_view>

namespace tamsolo {

// Throws a SystemError for the calling thread's last error: what failed, then the system's
// own text of the code. Call it on the line right after the failing call, before anything
// else can change the code.
[[noreturn]] void ThrowLastError(std::string_view what);

// The same for a code already read, where the caller had to look at it first.
[[noreturn]] void ThrowSystemError(std::string_view what, DWORD code);

}  // namespace tamsolo
