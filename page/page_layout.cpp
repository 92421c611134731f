#include "page/page_layout.h"

#include "page/page_image.h"

namespace tamsolo {

PageLayout LayoutPages(int64_t scaledWidth) {
  if (scaledWidth <= 0)
    return {};
  int64_t count = scaledWidth / kPageWidth;
  if (scaledWidth % kPageWidth >= kPageWidth / 2)
    ++count;
  // Both terms are even, so the halving is exact.
  const int64_t offset = (scaledWidth - count * kPageWidth) / 2;
  return {static_cast<int32_t>(count), static_cast<int32_t>(offset)};
}

int32_t FirstColumnOfPage(const PageLayout& layout, int32_t v) {
  return (layout.count - v) * kPageWidth + layout.offset;
}

std::string PageFileNameFor(const std::string& baseName, int32_t count, int32_t v) {
  if (count == 1)
    return baseName + ".bmp";
  return baseName + "-" + std::to_string(v) + ".bmp";
}

}  // namespace tamsolo
