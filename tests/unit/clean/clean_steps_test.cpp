#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "clean/content_box.h"
#include "clean/levels.h"
#include "clean/luma_plane.h"
#include "clean/page_clean.h"
#include "clean/page_count_box.h"
#include "clean/rotate.h"
#include "clean/skew_estimate.h"
#include "support/clean/page_quality.h"
#include "support/rgb_image_maker.h"
#include "support/scan_simulator.h"

namespace tamsolo {
namespace {

using testing::Bleed;

// The luma most pixels of image hold.
int CommonLuma(const RgbImage& image) {
  const std::vector<uint32_t> counts = Histogram(LumaOf(image));
  return static_cast<int>(std::max_element(counts.begin(), counts.end()) - counts.begin());
}

struct ScanCase {
  uint32_t seed;
  bool spread;
  Bleed bleed;
  double bed;     // the tone of the scanner bed
  double shadow;  // the spine shadow's strength
};

// Each step on its own against the scan's truth, then all three through CleanUpPage.
class CleanScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(CleanScan, FindsTheAngleTheBlockAndThePaper) {
  const ScanCase& c = GetParam();
  const testing::CleanPage page = testing::MakeCleanPage(c.seed, {c.spread, c.bleed});
  testing::ScanSetup setup = testing::RandomScanSetup(c.seed, c.bleed);
  setup.bed = c.bed;
  setup.spineShadow = c.shadow;
  const testing::Scan scan = testing::SimulateScan(page, setup, c.seed);

  const double angle = EstimateSkew(LumaOf(scan.image));
  EXPECT_NEAR(angle, scan.angle, 0.02);

  // Never into the block, and at most 3 pixels of margin left round it.
  const ContentBox box = FindContentBox(Rotated(LumaOf(scan.image), angle));
  EXPECT_LE(box.left, scan.block.left + 0.5);
  EXPECT_LE(box.top, scan.block.top + 0.5);
  EXPECT_GE(box.right, scan.block.right - 0.5);
  EXPECT_GE(box.bottom, scan.block.bottom - 0.5);
  EXPECT_GE(box.left, scan.block.left - 3);
  EXPECT_GE(box.top, scan.block.top - 3);
  EXPECT_LE(box.right, scan.block.right + 3);
  EXPECT_LE(box.bottom, scan.block.bottom + 3);

  RgbImage cleaned = scan.image.Clone();
  const CleanReport report = CleanUpPage(cleaned);
  EXPECT_EQ(report.angle, angle);
  EXPECT_EQ(report.box, box);
  EXPECT_EQ(cleaned.Width(), box.Width());
  EXPECT_TRUE(cleaned.KnownGray());
  // The tinted paper (luma about 225) ends at white.
  EXPECT_EQ(CommonLuma(cleaned), 255);

  // The pages against the clean page's, generously: here the scans as they are get 30-59 % and
  // cleaned 63-84 %, with the block's edges on the nearest whole pixels (the benchmark's 1.5
  // pixels of room take 16 times as long).
  const double before = testing::BestAgainstBlock(page, testing::PagesOf(scan.image), 0.5);
  const double after = testing::BestAgainstBlock(page, testing::PagesOf(cleaned), 0.5);
  EXPECT_GE(after, 0.55) << before;
  EXPECT_GE(after, before + 0.15);
}

INSTANTIATE_TEST_SUITE_P(Scans, CleanScan,
                         ::testing::Values(ScanCase{3, false, Bleed::None, 62, 0},
                                           ScanCase{26, false, Bleed::Left, 246, 0.4},
                                           ScanCase{5, true, Bleed::Right, 14, 0.3},
                                           ScanCase{12, false, Bleed::Top, 244, 0}));

// A page that is straight already, nearly straight, or without lines is not turned.
TEST(EstimateSkew, LeavesPagesWithoutAClearTurnAlone) {
  const testing::CleanPage page = testing::MakeCleanPage(7);
  EXPECT_EQ(EstimateSkew(LumaOf(page.image)), 0);
  EXPECT_EQ(EstimateSkew(Rotated(LumaOf(page.image), 0.01)), 0);
  EXPECT_NEAR(EstimateSkew(Rotated(LumaOf(page.image), 0.7)), -0.7, 0.02);
  std::mt19937 random(5);
  EXPECT_EQ(EstimateSkew(LumaOf(testing::RandomImage(900, 1200, random))), 0);
  const RgbImage smooth = testing::MakeRgbImage(900, 1200, [](int x, int y) {
    const auto v = static_cast<uint8_t>((x + y) / 9);
    return testing::Rgb{v, v, v};
  });
  EXPECT_EQ(EstimateSkew(LumaOf(smooth)), 0);
}

// A crisp page and full-bleed art come through as they were, but for gray rounding.
TEST(CleanUpPage, DoesNoHarmToCleanPages) {
  for (const testing::Bleed bleed : {testing::Bleed::None, testing::Bleed::Left}) {
    const testing::CleanPage page = testing::MakeCleanPage(9, {false, bleed});
    RgbImage cleaned = page.image.Clone();
    const CleanReport report = CleanUpPage(cleaned);
    EXPECT_EQ(report.angle, 0);
    EXPECT_GE(testing::BestAgainstBlock(page, testing::PagesOf(cleaned), 0.5), 0.99);
    const RgbImage art = testing::Cropped(page.image, report.box);
    RgbImage artCleaned = art.Clone();
    CleanUpPage(artCleaned);
    EXPECT_GE(testing::WithinOneIndex(testing::PagesOf(art), testing::PagesOf(artCleaned)), 0.99);
  }
}

TEST(Rotated, ZeroTurnKeepsEveryByte) {
  std::mt19937 random(3);
  const LumaPlane plane = LumaOf(testing::RandomImage(37, 23, random));
  LumaPlane copy = plane;
  EXPECT_EQ(Rotated(std::move(copy), 0).values, plane.values);
}

TEST(FindContentBox, KeepsBlankPagesWholeAndCleanPagesToTheirBlock) {
  const RgbImage blank = testing::MakeRgbImage(300, 400, [](int, int) {
    return testing::Rgb{230, 225, 210};
  });
  EXPECT_EQ(FindContentBox(LumaOf(blank)), (ContentBox{0, 0, 300, 400}));
  // A pixel the block covers by a sliver may go; art that fills the image keeps its borders.
  for (const Bleed bleed : {Bleed::None, Bleed::Bottom}) {
    const testing::CleanPage page = testing::MakeCleanPage(4, {false, bleed});
    const ContentBox box = FindContentBox(LumaOf(page.image));
    EXPECT_NEAR(box.left, page.block.left, 1);
    EXPECT_NEAR(box.top, page.block.top, 1);
    EXPECT_NEAR(box.right, page.block.right, 1);
    EXPECT_NEAR(box.bottom, page.block.bottom, 1);
    // Cut inside the block, so that its outer rows are solid border.
    const RgbImage art =
        testing::Cropped(page.image, {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1});
    const ContentBox kept = FindContentBox(LumaOf(art));
    EXPECT_LE(kept.left + kept.top + art.Width() - kept.right + art.Height() - kept.bottom, 2);
  }
}

// Worked through ScaledWidth and the half-page rounding: 1300 x 1139 is the shortest box of
// 1300 columns that scales to one page (1150 columns), 2170 x 1900 the narrowest of 1900 rows
// that scales to two (1152).
TEST(KeepPageCount, GrowsTheShortAxisJustEnoughToKeepTheCount) {
  const struct {
    int width, height;
    ContentBox box, kept;
  } cases[] = {
      {1400, 2000, {100, 100, 1300, 1900}, {100, 100, 1300, 1900}},
      {1400, 2000, {50, 400, 1350, 1500}, {50, 381, 1350, 1520}},
      {1400, 1300, {50, 0, 1350, 1100}, {50, 0, 1350, 1139}},
      {2800, 1900, {900, 0, 1900, 1900}, {315, 0, 2485, 1900}},
      {2800, 1900, {0, 0, 1000, 1900}, {0, 0, 2170, 1900}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeepPageCount(c.box, c.width, c.height), c.kept) << c.box.left << "," << c.box.top;
}

TEST(Levels, CurveRunsFromInkToPaperAndNeverFalls) {
  const std::array<uint8_t, 256> curve = LevelsCurve({40, 220});
  EXPECT_EQ(curve[0], 0);
  EXPECT_EQ(curve[40], 0);
  EXPECT_EQ(curve[220], 255);
  EXPECT_EQ(curve[255], 255);
  EXPECT_NEAR(curve[130], 128, 1);
  EXPECT_TRUE(std::is_sorted(curve.begin(), curve.end()));
  EXPECT_LT(curve[41], curve[60]);
}

// Pages without paper or without solid ink keep their tones.
TEST(Levels, LeavesPagesWithoutPaperOrInkAlone) {
  const auto gradient = [](int low, int high) {
    return testing::MakeRgbImage(256, 100, [=](int x, int) {
      const auto v = static_cast<uint8_t>(low + (high - low) * x / 255);
      return testing::Rgb{v, v, v};
    });
  };
  // Full-bleed art: every tone alike, no paper peak.
  const RgbImage art = gradient(0, 255);
  // A page of pencil: paper and light gray only.
  const RgbImage pencil = testing::MakeRgbImage(256, 100, [](int x, int) {
    return x < 200 ? testing::Rgb{225, 225, 225} : testing::Rgb{150, 150, 150};
  });
  for (const RgbImage* image : {&art, &pencil})
    EXPECT_FALSE(FindLevels(Histogram(LumaOf(*image))));
}

}  // namespace
}  // namespace tamsolo
