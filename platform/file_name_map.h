#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// A name (a page's base name, from InnerNameText in the same style) made one the file system
// of the style can hold. The POSIX style keeps it as it is: only "/" is refused there, and a
// base name cannot hold one. The Windows style (code page 932 text) writes the characters
// : * ? " < > | / and \ as their full-width forms and each control byte as "_u00HH" (its code
// point), drops trailing dots and spaces, which the system would drop itself, and puts "_"
// before a device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9, in any case,
// alone or before a ".").
std::string MapFileName(std::string_view name, PathStyle style);

}  // namespace tamsolo
