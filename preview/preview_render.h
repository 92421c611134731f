#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "book/book_page.h"
#include "image/rgb_image.h"
#include "platform/paths.h"

namespace tamsolo {

// The preview of a book as the blank-page rule pairs it: positions 2k and 2k+1 (from 0) form
// facing pair k, 2k on the right; four pairs to a row, pair 0 at the right end of the first
// row and the pairs going on leftwards, rows top to bottom, as the book is read.
inline constexpr int kPreviewPageWidth = 192;
inline constexpr int kPreviewPageHeight = 256;
inline constexpr int kPreviewPairsPerRow = 4;
// The picture holds at most this many pages (125 rows, about 65 MB while drawn): a book.txt of
// a hundred thousand lines must not make a picture of gigabytes. The listing holds them all.
inline constexpr size_t kPreviewMaxPages = 1000;

// Palette indices: 0-15 are the page files' own grays (17 x i), then the marks' colours.
enum PreviewInk : uint8_t {
  kInkBackground = 16,
  kInkText = 17,
  kInkBlankOutline = 18,
  kInkJoin = 19,     // a bar joining two pages cut from one source within a pair
  kInkSplit = 20,    // the same across two pairs: a spread the reader sees split
  kInkMissing = 21,  // a page whose file could not be read
};
inline constexpr int kPreviewInkCount = 22;

// A page at preview size: 192 x 256 gray indices 0-15, rows top to bottom.
using ShrunkPage = std::vector<uint8_t>;
// Averages boxes of the page's gray levels (a 768 x 1024 page gives 4 x 4 boxes), each to the
// nearest of the 16 grays.
ShrunkPage ShrinkPage(const RgbImage& page);

struct PreviewPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // palette indices, rows top to bottom
};

// The page at position (from 0), or none when its file cannot be read.
using PageLoader = std::function<std::optional<ShrunkPage>(size_t position)>;

// Draws each page, a blank page as white paper with a thin outline and "blank"; a bar across
// the gutter between consecutive pages cut from one source; under each page its position
// number (from 1, as the book folder's numbered files) and its source; the title and the page
// count at the top. Texts are ASCII: any other character shows as '?'. Only the first
// kPreviewMaxPages pages are drawn (and loaded); the count then says so.
PreviewPicture RenderPreview(const std::string& title, const std::vector<BookPage>& pages,
                             const PageLoader& load, PathStyle style);

// The picture as an 8-bit palette PNG; throws Error once stop (when given) returns true.
std::vector<uint8_t> PreviewPng(const PreviewPicture& picture,
                                const std::function<bool()>& stop = {});

}  // namespace tamsolo
