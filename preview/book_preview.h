#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// The preview of a written book: its picture (a PNG) and the listing with the full title and
// names the picture's ASCII font cannot show. The pages are read from the book folder's
// numbered page files; the picture holds the first kPreviewMaxPages of them, the listing all.
// missing holds the pages whose files could not be read, drawn as missing.
struct BookPreview {
  std::vector<uint8_t> png;
  std::string listing;
  std::vector<MissingPage> missing;
};

// stop, when set, is polled before each page is read; true ends the drawing with Error.
BookPreview MakeBookPreview(FileSystem& fileSystem, const std::string& bookFolder,
                            const std::string& title, const std::vector<BookPage>& pages,
                            PathStyle style, const std::function<bool()>& stop = {});

// The preview written: the picture at pngPath, the listing beside it (PreviewTextPath), both
// as how says. Returns the missing pages; throws Error when a file cannot be written.
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
