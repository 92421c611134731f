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
#include <vector>

#include "clean/page_clean.h"
#include "page/page_image.h"
#include "support/clean/page_quality.h"
#include "support/scan_simulator.h"

namespace {

using namespace tamsolo;
using Clock = std::chrono::steady_clock;

// The page moved right and down by a share of a pixel, bilinearly: where any scan lands.
RgbImage Moved(const RgbImage& image, double share) {
  RgbImage out = image.Clone();
  const double keep = 1 - share;
  for (int y = 1; y < image.Height(); ++y) {
    const uint8_t* up = image.Row(y - 1);
    const uint8_t* here = image.Row(y);
    for (size_t x = 3; x < image.Stride(); ++x)
      out.Row(y)[x] = static_cast<uint8_t>(std::lround(keep * keep * here[x] +
                                                       share * keep * (here[x - 3] + up[x]) +
                                                       share * share * up[x - 3]));
  }
  return out;
}

double BestAgainst(const testing::CleanPage& page, const std::vector<PageImage>& pages) {
  return testing::BestAgainstBlock(page, pages, 1.5);
}

double MovedShare(const testing::CleanPage& page, double share) {
  const ContentBox block{static_cast<int>(page.block.left), static_cast<int>(page.block.top),
                         static_cast<int>(page.block.right), static_cast<int>(page.block.bottom)};
  return BestAgainst(page, testing::PagesOf(testing::Cropped(Moved(page.image, share), block)));
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

  // The clean-up stops between its steps at the checkpoint: luma, skew, turn, crop, levels.
  std::vector<Clock::time_point> stamps{Clock::now()};
  RgbImage image = scan.image.Clone();
  const CleanReport report = CleanUpPage(image, {}, [&] { stamps.push_back(Clock::now()); });
  stamps.push_back(Clock::now());
  const auto ms = [&](size_t step) {
    return std::chrono::duration<double, std::milli>(stamps[step + 1] - stamps[step]).count();
  };
  const Clock::time_point t = Clock::now();
  const std::vector<PageImage> cleaned = testing::PagesOf(image);
  const double pages = Ms(t);
  const ContentBox& box = report.box;

  std::printf(
      "%3u %-6s %4dx%d  angle %+.3f err %+.4f  box %+.1f %+.1f %+.1f %+.1f  "
      "clean %5.1f%%  raw %5.1f%%  ms: luma %.1f skew %.1f turn %.1f crop %.1f levels %.1f "
      "pages %.1f\n",
      seed, spread ? "spread" : "single", scan.image.Width(), scan.image.Height(), scan.angle,
      report.angle - scan.angle, box.left - scan.block.left, box.top - scan.block.top,
      box.right - scan.block.right, box.bottom - scan.block.bottom,
      100 * BestAgainst(page, cleaned), 100 * BestAgainst(page, testing::PagesOf(scan.image)),
      ms(0), ms(1), ms(2), ms(3), ms(4), pages);
}

// A page that needs no clean-up, through it, against its own pages.
void Unharmed(uint32_t seed, bool fullBleed) {
  testing::CleanPage page = testing::MakeCleanPage(seed, {seed % 2 == 1, testing::Bleed::None});
  RgbImage image = page.image.Clone();
  if (fullBleed) {
    const ContentBox block{static_cast<int>(std::ceil(page.block.left)),
                           static_cast<int>(std::ceil(page.block.top)),
                           static_cast<int>(page.block.right), static_cast<int>(page.block.bottom)};
    image = testing::Cropped(page.image, block);
  }
  RgbImage cleaned = image.Clone();
  const CleanReport report = CleanUpPage(cleaned);
  const double share =
      fullBleed ? testing::WithinOneIndex(testing::PagesOf(image), testing::PagesOf(cleaned))
                : BestAgainst(page, testing::PagesOf(cleaned));
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
  // What the measure itself gives up to a scan's sub-pixel placement, which a crop to whole
  // pixels cannot undo: the clean page moved by a quarter and a half pixel, against itself.
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    const testing::CleanPage page = testing::MakeCleanPage(seed, {seed % 2 == 1});
    std::printf("%3u moved by 1/4 pixel %5.1f%%, by 1/2 pixel %5.1f%%\n", seed,
                100 * MovedShare(page, 0.25), 100 * MovedShare(page, 0.5));
  }
  return 0;
}
