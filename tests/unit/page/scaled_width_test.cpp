#include "page/scaled_width.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/x87_thread.h"

namespace tamsolo {
namespace {

struct Case {
  int64_t width, height, scaled;
};

// Products that fall just below a whole number (1000 x 1000, 715 x 176, 1400 x 1920) decide
// the floor; 1400 x 1920 gives 736 in exact arithmetic. An empty source, and one more than
// 1008 times as tall as it is wide, give 0.
constexpr std::array<Case, 14> kCases = {{{1000, 1000, 1008},
                                          {715, 176, 4094},
                                          {1400, 1920, 734},
                                          {1600, 1200, 1344},
                                          {1200, 1600, 756},
                                          {383, 1008, 384},
                                          {300, 1000, 302},
                                          {2400, 1200, 2016},
                                          {1, 1008, 2},
                                          {3, 3, 1008},
                                          {0, 1000, 0},
                                          {1000, 0, 0},
                                          {-5, 10, 0},
                                          {1, 2000, 0}}};

std::vector<int64_t> AllWidths() {
  std::vector<int64_t> widths;
  for (const Case& c : kCases)
    widths.push_back(ScaledWidth(c.width, c.height));
  return widths;
}

// The same on a thread started in 53-bit mode, as Windows starts them.
TEST(ScaledWidth, WorkedExamplesInEitherThreadMode) {
  for (const std::vector<int64_t>& widths : {AllWidths(), OnThreadIn53BitMode(AllWidths)}) {
    for (size_t i = 0; i < kCases.size(); ++i)
      EXPECT_EQ(widths[i], kCases[i].scaled) << kCases[i].width << " x " << kCases[i].height;
  }
  // The mode matters: the same arithmetic without the guard gives the other answer.
  const long double product = OnThreadIn53BitMode([] {
    volatile long double height = 1920, width = 1400;
    volatile long double quotient = 1008.0L / height;
    return static_cast<long double>(quotient * width);
  });
  EXPECT_EQ(product, 735.0L);
}

}  // namespace
}  // namespace tamsolo
