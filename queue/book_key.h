#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// The book key of a source path: its parent folder name and the delimiter ("vol1\" for
// C:\scans\vol1\p001.jpg, "\" alone for a file in a drive's root).
std::string BookKeyOf(std::string_view path, PathStyle style);

// The title a book gets: its key without the trailing delimiter (a 0x5C trail byte stays).
std::string BookTitleOf(std::string_view bookKey, PathStyle style);

}  // namespace tamsolo
