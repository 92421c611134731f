#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "book/book_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tamsolo {

// The preview of a written book: its picture (a PNG) and the listing with the full title and
// names the picture's ASCII font cannot show. The pages are read from the book folder's
// numbered page files; missing holds the positions (from 1) of the pages whose files could
// not be read, drawn as missing.
struct BookPreview {
  std::vector<uint8_t> png;
  std::string listing;
  std::vector<size_t> missing;
};

// stop, when set, is polled before each page is read; true ends the drawing with Error.
BookPreview MakeBookPreview(FileSystem& fileSystem, const std::string& bookFolder,
                            const std::string& title, const std::vector<BookPage>& pages,
                            PathStyle style, const std::function<bool()>& stop = {});

// The preview written: the picture at pngPath, the listing beside it (PreviewTextPath), both
// as how says. Returns the missing positions; throws Error when a file cannot be written.
std::vector<size_t> WriteBookPreview(FileSystem& fileSystem, const std::string& bookFolder,
                                     const std::string& title, const std::vector<BookPage>& pages,
                                     const std::string& pngPath, PathStyle style,
                                     FileSystem::Create how);

// pngPath with its extension replaced by ".txt" ("preview.png" gives "preview.txt").
std::string PreviewTextPath(const std::string& pngPath, PathStyle style);

}  // namespace tamsolo
