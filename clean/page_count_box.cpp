#include "clean/page_count_box.h"

#include <algorithm>
#include <cstdint>

#include "page/page_layout.h"
#include "page/scaled_width.h"

namespace tamsolo {
namespace {

int32_t PageCount(int width, int height) {
  return LayoutPages(ScaledWidth(width, height)).count;
}

// Widens low..high by extra, half before and half after, then slides it back inside 0..size.
void Widen(int& low, int& high, int extra, int size) {
  const int length = high - low + extra;
  low = std::max(0, low - extra / 2);
  high = std::min(size, low + length);
  low = std::max(0, high - length);
}

}  // namespace

ContentBox KeepPageCount(const ContentBox& box, int width, int height) {
  const int32_t wanted = PageCount(width, height);
  const int32_t found = PageCount(box.Width(), box.Height());
  if (found == wanted)
    return box;
  const bool addRows = found > wanted;
  const auto grown = [&](int extra) {
    ContentBox larger = box;
    if (addRows)
      Widen(larger.top, larger.bottom, extra, height);
    else
      Widen(larger.left, larger.right, extra, width);
    return larger;
  };
  // The count moves one way as the box grows, and the image's whole span restores it.
  const auto restores = [&](int extra) {
    const ContentBox larger = grown(extra);
    const int32_t count = PageCount(larger.Width(), larger.Height());
    return addRows ? count <= wanted : count >= wanted;
  };
  int low = 0;
  int high = addRows ? height - box.Height() : width - box.Width();
  while (high - low > 1) {
    const int middle = low + (high - low) / 2;
    if (restores(middle))
      high = middle;
    else
      low = middle;
  }
  const ContentBox larger = grown(high);
  // A count that skipped the wanted one on the way: the whole image keeps it for sure.
  if (PageCount(larger.Width(), larger.Height()) != wanted)
    return {0, 0, width, height};
  return larger;
}

}  // namespace tamsolo
