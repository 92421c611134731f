#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// The longest name, in bytes, a file or folder may have inside a folder whose path (with its
// trailing delimiter) is folderBytes long: NAME_MAX (255) in the POSIX style, whatever the
// folder; in the Windows style what keeps the whole path within MAX_PATH (260 with the
// terminating NUL), 0 when the folder alone fills it.
size_t NameRoom(size_t folderBytes, PathStyle style);

// head + stem + tail, with stem cut short where the whole would pass room bytes. The cut
// falls on a character boundary: UTF-8 in the POSIX style, Shift-JIS in the Windows style.
// When head and tail alone pass room, stem goes entirely and the name stays too long.
std::string FitName(std::string_view head, std::string_view stem, std::string_view tail,
                    size_t room, PathStyle style);

}  // namespace tamsolo
