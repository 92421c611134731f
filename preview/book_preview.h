#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "book/book_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "preview/preview_render.h"

namespace tamsolo {

// A page whose file could not be read, and why.
struct MissingPage {
  size_t position = 0;  // from 1
  std::string reason;
};

// The preview of a written book: its picture at pngPath, and beside it (the same name with
// ".txt") the listing with the full title and names the picture's ASCII font cannot show.
// The pages are read from the book folder's numbered page files; the picture holds the first
// kPreviewMaxPages of them, the listing all. Returns the pages whose files could not be read;
// they are drawn as missing. Both files are written as how says; throws Error when one cannot
// be written.
std::vector<MissingPage> WriteBookPreview(FileSystem& fileSystem, const std::string& bookFolder,
                                          const std::string& title,
                                          const std::vector<BookPage>& pages,
                                          const std::string& pngPath, PathStyle style,
                                          FileSystem::Create how);

// A page file at preview size. Page files are 768 x 1024; a file declaring far more is
// refused by a small decode limit rather than read. Throws Error or std::bad_alloc.
ShrunkPage ReadPreviewPage(const std::string& path);

// pngPath with its extension replaced by ".txt" ("preview.png" gives "preview.txt").
std::string PreviewTextPath(const std::string& pngPath, PathStyle style);

}  // namespace tamsolo
