#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// A path made absolute against currentFolder and lexically normal: no "." or ".." components,
// no repeated or trailing delimiters (a root keeps its own). Works on the bytes, so a Shift-JIS
// name whose trail byte is 0x5C stays whole. In the Windows style "/" counts as "\", a path
// starting with one "\" takes the current folder's drive, and "\\server\share" is a root.
// ".." never climbs above the root.
std::string NormalizePath(std::string_view path, std::string_view currentFolder, PathStyle style);

}  // namespace tamsolo
