#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// A path made absolute against currentFolder, without "." components and without repeated or
// trailing delimiters (a root keeps its own). Works on the bytes, so a Shift-JIS name whose
// trail byte is 0x5C stays whole. ".." is folded as the system does it: by text in the
// Windows style, where it never climbs above the root; never in the POSIX style, where the
// system follows a link before it climbs (see ResolveParentSteps). In the Windows style "/"
// counts as "\", a path starting with one "\" takes the current folder's drive, and
// "\\server\share" is a root.
std::string NormalizePath(std::string_view path, std::string_view currentFolder, PathStyle style);

// An absolute path with its ".." components resolved by the system itself: on POSIX the part
// up to the last ".." becomes the folder the system reaches through it (a link before a ".."
// leads first), the rest stays as it is; when that part leads nowhere yet, the whole path
// stays as it is, for the system to take as typed. On Windows, whose system folds ".." by
// text as NormalizePath does, the path comes back unchanged. Throws nothing.
std::string ResolveParentSteps(const std::string& path);

}  // namespace tamsolo
