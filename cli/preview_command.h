#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tamsolo {

inline constexpr const char* kPreviewUsageLine = "preview BOOKFOLDER [-o FILE]";

// Draws the preview of a book folder written earlier from its book.txt and its numbered
// pages: FILE (default BOOKFOLDER/preview.png, either replaced when it exists) and the listing
// beside it with ".txt". Exit: 0 done, 1 some page file could not be read (drawn as missing),
// 2 usage, 3 no readable book.txt or the preview could not be written.
int RunPreviewCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tamsolo
