#pragma once

#include <cstdint>
#include <string>

namespace tamsolo {

// How a scaled image of a given width is cut into 768-column pages: the image is rounded to
// the nearest whole number of pages (a remainder of exactly half a page rounds up) and
// centred across them, so offset is negative when the pages have white outer margins and
// positive when the image's outer columns are cut off.
struct PageLayout {
  int32_t count = 0;
  int32_t offset = 0;
};
PageLayout LayoutPages(int64_t scaledWidth);

// Page v (from 1) of count starts at this scaled column: page 1 is the rightmost slice.
int32_t FirstColumnOfPage(const PageLayout& layout, int32_t v);

// "scan01.bmp" for a single page, otherwise "scan01-1.bmp", "scan01-10.bmp", ...
std::string PageFileNameFor(const std::string& baseName, int32_t count, int32_t v);

}  // namespace tamsolo
