// The clean-up's quality on simulated scans: the share of page pixels within one gray index of
// the pages of the clean page cropped to its printed block (its edges moved by up to 1.5 source
// pixels, the best taken), for the scan cleaned and as it is; the angle error; and the time of
// each step. Clean pages and full-bleed art go through the clean-up too, against themselves.
//   tamsolo_bench_clean [SCANS]   (default 12)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "clean/content_box.h"
#include "clean/levels.h"
#include "clean/luma_plane.h"
#include "clean/page_clean.h"
#include "clean/rotate.h"
#include "clean/sharpen.h"
#include "clean/skew_estimate.h"
#include "page/page_fill.h"
#include "page/page_image.h"
#include "page/page_layout.h"
#include "page/scaled_width.h"
#include "resample/filters.h"
#include "resample/resampler.h"
#include "support/scan_simulator.h"

namespace {

using namespace tamsolo;
using Clock = std::chrono::steady_clock;

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

// The share of pixels within one gray index; 0 when the page counts differ.
double Within(const std::vector<PageImage>& a, const std::vector<PageImage>& b) {
  if (a.size() != b.size())
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

// The best share against the clean page cropped to block with each edge on any whole pixel
// within 1.5 of it. Every combination is tried: moving one edge alone can shift the scaled
// columns and hide a better pair.
double BestAgainst(const testing::CleanPage& page, const std::vector<PageImage>& pages) {
  const double edges[4] = {page.block.left, page.block.top, page.block.right, page.block.bottom};
  const int limits[4] = {page.image.Width(), page.image.Height(), page.image.Width(),
                         page.image.Height()};
  std::vector<int> choices[4];
  for (int i = 0; i < 4; ++i) {
    for (int e = static_cast<int>(std::ceil(edges[i] - 1.5)); e <= edges[i] + 1.5; ++e) {
      if (e >= 0 && e <= limits[i])
        choices[i].push_back(e);
    }
  }
  double best = 0;
  for (const int left : choices[0])
    for (const int top : choices[1])
      for (const int right : choices[2])
        for (const int bottom : choices[3])
          best = std::max(best,
                          Within(pages, PagesOf(Cropped(page.image, {left, top, right, bottom}))));
  return best;
}

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Scanned(uint32_t seed) {
  const bool spread = seed % 2 == 1;
  const auto bleed = static_cast<testing::Bleed>(seed % 5);
  const testing::CleanPage page = testing::MakeCleanPage(seed, {spread, bleed});
  const testing::Scan scan =
      testing::SimulateScan(page, testing::RandomScanSetup(seed, bleed), seed);

  Clock::time_point t = Clock::now();
  LumaPlane luma = LumaOf(scan.image);
  const double toLuma = Ms(t);
  t = Clock::now();
  const double angle = EstimateSkew(luma);
  const double estimate = Ms(t);
  t = Clock::now();
  luma = Rotated(std::move(luma), angle);
  const double rotate = Ms(t);
  t = Clock::now();
  const ContentBox box = FindContentBox(luma);
  const double crop = Ms(t);
  t = Clock::now();
  double sharpening = 0;
  if (const std::optional<LevelsPoints> points = FindLevels(Histogram(luma, box, 2))) {
    const std::array<uint8_t, 256> curve = LevelsCurve(*points);
    sharpening = SharpeningFor(EdgeSteepness(luma, box, curve));
    Sharpen(luma, box, curve, sharpening);
  }
  RgbImage image = scan.image.Clone();
  WriteGray(luma, box, image);
  const double levels = Ms(t);
  t = Clock::now();
  const std::vector<PageImage> cleaned = PagesOf(image);
  const double pages = Ms(t);

  std::printf(
      "%3u %-6s %4dx%d  angle %+.3f err %+.4f  box %+.1f %+.1f %+.1f %+.1f  "
      "clean %5.1f%%  raw %5.1f%%  sharpen %.2f  ms: luma %.1f skew %.1f turn %.1f crop %.1f "
      "levels %.1f "
      "pages %.1f\n",
      seed, spread ? "spread" : "single", scan.image.Width(), scan.image.Height(), scan.angle,
      angle - scan.angle, box.left - scan.block.left, box.top - scan.block.top,
      box.right - scan.block.right, box.bottom - scan.block.bottom,
      100 * BestAgainst(page, cleaned), 100 * BestAgainst(page, PagesOf(scan.image)), sharpening,
      toLuma, estimate, rotate, crop, levels, pages);
}

// A page that needs no clean-up, through it, against its own pages.
void Unharmed(uint32_t seed, bool fullBleed) {
  testing::CleanPage page = testing::MakeCleanPage(seed, {seed % 2 == 1, testing::Bleed::None});
  RgbImage image = page.image.Clone();
  if (fullBleed) {
    const ContentBox block{static_cast<int>(std::ceil(page.block.left)),
                           static_cast<int>(std::ceil(page.block.top)),
                           static_cast<int>(page.block.right), static_cast<int>(page.block.bottom)};
    image = Cropped(page.image, block);
  }
  RgbImage cleaned = image.Clone();
  const CleanReport report = CleanUpPage(cleaned);
  const double share =
      fullBleed ? Within(PagesOf(image), PagesOf(cleaned)) : BestAgainst(page, PagesOf(cleaned));
  std::printf("%3u %-10s angle %+.3f  box %d,%d,%d,%d of %dx%d  %5.1f%%\n", seed,
              fullBleed ? "full-bleed" : "clean", report.angle, report.box.left, report.box.top,
              report.box.right, report.box.bottom, image.Width(), image.Height(), 100 * share);
}

}  // namespace

int main(int argc, char** argv) {
  const int scans = argc > 1 ? std::atoi(argv[1]) : 12;
  std::printf(
      "seed kind   size        angle and its error  box error (l t r b)  within one "
      "gray index  CPU per step\n");
  for (int seed = 1; seed <= scans; ++seed)
    Scanned(static_cast<uint32_t>(seed));
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    Unharmed(seed, false);
    Unharmed(seed, true);
  }
  return 0;
}
