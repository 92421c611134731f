#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// The book key of a source path: its parent folder name and the delimiter ("vol1\" for
// C:\scans\vol1\p001.jpg, "\" alone for a file in a drive's root).
std::string BookKeyOf(std::string_view path, PathStyle style);

// How a queued file is shown: the book key followed by the file name ("vol1\p001.jpg").
std::string ItemText(std::string_view path, PathStyle style);

// The remaining-files caption, e.g. "3ファイル", in the program's code page.
std::string RemainCaption(size_t count);

// The title a book gets: its key without the trailing delimiter (a 0x5C trail byte stays).
std::string BookTitleOf(std::string_view bookKey, PathStyle style);

}  // namespace tamsolo
