#include "support/clean/page_quality.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "page/page_fill.h"
#include "page/page_layout.h"
#include "page/scaled_width.h"
#include "resample/filters.h"
#include "resample/resampler.h"

namespace tamsolo::testing {

RgbImage Cropped(const RgbImage& image, const ContentBox& box) {
  RgbImage out(box.Width(), box.Height());
  for (int y = 0; y < box.Height(); ++y)
    std::memcpy(out.Row(y), image.Row(box.top + y) + 3 * static_cast<size_t>(box.left),
                out.Stride());
  out.SetKnownGray(image.KnownGray());
  return out;
}

std::vector<PageImage> PagesOf(const RgbImage& image) {
  RgbImage scaled(static_cast<int>(ScaledWidth(image.Width(), image.Height())), kScaledHeight);
  const FilterEntry& filter = FilterTable[kDefaultFilterIndex];
  ResampleImage(image, scaled, filter.function, filter.support);
  const PageLayout layout = LayoutPages(scaled.Width());
  std::vector<PageImage> pages(static_cast<size_t>(layout.count));
  for (int32_t v = 1; v <= layout.count; ++v) {
    SetUpPage(pages[static_cast<size_t>(v - 1)]);
    FillPage(scaled, FirstColumnOfPage(layout, v), pages[static_cast<size_t>(v - 1)]);
  }
  return pages;
}

double WithinOneIndex(const std::vector<PageImage>& a, const std::vector<PageImage>& b) {
  if (a.size() != b.size() || a.empty())
    return 0;
  size_t near = 0, all = 0;
  for (size_t p = 0; p < a.size(); ++p) {
    for (int32_t y = 0; y < 1024; ++y) {
      for (int32_t x = 0; x < 768; ++x) {
        near += std::abs(a[p].GetPixel(x, y) - b[p].GetPixel(x, y)) <= 1;
        ++all;
      }
    }
  }
  return static_cast<double>(near) / static_cast<double>(all);
}

double BestAgainstBlock(const CleanPage& page, const std::vector<PageImage>& pages, double reach) {
  const double edges[4] = {page.block.left, page.block.top, page.block.right, page.block.bottom};
  const int limits[4] = {page.image.Width(), page.image.Height(), page.image.Width(),
                         page.image.Height()};
  std::vector<int> choices[4];
  for (size_t i = 0; i < 4; ++i) {
    for (auto e = static_cast<int>(std::ceil(edges[i] - reach)); e <= edges[i] + reach; ++e) {
      if (e >= 0 && e <= limits[i])
        choices[i].push_back(e);
    }
  }
  double best = 0;
  for (const int left : choices[0])
    for (const int top : choices[1])
      for (const int right : choices[2])
        for (const int bottom : choices[3])
          best = std::max(
              best,
              WithinOneIndex(pages, PagesOf(Cropped(page.image, {left, top, right, bottom}))));
  return best;
}

}  // namespace tamsolo::testing
