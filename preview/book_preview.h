#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "book/book_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tamsolo {

// The preview of a written book: its picture at pngPath, and beside it (the same name with
// ".txt") the listing with the full title and names the picture's ASCII font cannot show.
// The pages are read from the book folder's numbered page files. Returns the positions (from
// 1) of the pages whose files could not be read; they are drawn as missing. Both files are
// written as how says; throws Error when one cannot be written.
std::vector<size_t> WriteBookPreview(FileSystem& fileSystem, const std::string& bookFolder,
                                     const std::string& title, const std::vector<BookPage>& pages,
                                     const std::string& pngPath, PathStyle style,
                                     FileSystem::Create how);

// pngPath with its extension replaced by ".txt" ("preview.png" gives "preview.txt").
std::string PreviewTextPath(const std::string& pngPath, PathStyle style);

}  // namespace tamsolo
