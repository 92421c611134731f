#include "resample/resampler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/error.h"
#include "support/error_text.h"
#include "support/filter_by_name.h"
#include "support/rgb_image_maker.h"
#include "support/x87_thread.h"

namespace tamsolo {
namespace {

using testing::FilterNamed;
using testing::MakeRgbImage;
using testing::RandomImage;
using testing::SameImage;

RgbImage Resample(const RgbImage& source, int width, int height, const std::string& filter) {
  RgbImage destination(width, height);
  std::memset(destination.Data(), 0xAB, destination.ByteSize());
  ResampleImage(source, destination, FilterNamed(filter).function, FilterNamed(filter).support);
  return destination;
}

std::vector<int> Row(const RgbImage& image, int y, int channel) {
  std::vector<int> values;
  for (int x = 0; x < image.Width(); ++x)
    values.push_back(image.Row(y)[3 * x + channel]);
  return values;
}

using V = std::vector<int>;

TEST(ResampleImage, SameSizeReproducesOrBlursAsEachKernelDoes) {
  std::mt19937 random(7);
  const RgbImage noise = MakeRgbImage(13, 9, [&](int, int, int) { return random() % 256; });
  for (const char* exact : {"Box", "Triangle", "Hermite", "Lanczos3"})
    EXPECT_TRUE(SameImage(Resample(noise, 13, 9, exact), noise)) << exact;

  // One bright column in otherwise black rows: the blur shows each kernel's weights.
  const RgbImage line = MakeRgbImage(5, 4, [](int x, int, int) { return x == 2 ? 200 : 0; });
  EXPECT_EQ(Row(Resample(line, 5, 4, "Bell"), 3, 1), (V{0, 25, 150, 25, 0}));
  EXPECT_EQ(Row(Resample(line, 5, 4, "B-Spline"), 0, 0), (V{0, 33, 133, 33, 0}));
  EXPECT_EQ(Row(Resample(line, 5, 4, "Mitchell"), 2, 2), (V{0, 11, 178, 11, 0}));
}

TEST(ResampleImage, TriangleHalfwayValuesRoundToEven) {
  const RgbImage a = MakeRgbImage(2, 2, [](int x, int, int) { return x == 0 ? 1 : 4; });
  const RgbImage b = MakeRgbImage(2, 2, [](int x, int, int) { return x == 0 ? 1 : 6; });
  const RgbImage scaledA = Resample(a, 3, 2, "Triangle");
  const RgbImage scaledB = Resample(b, 3, 2, "Triangle");
  for (int y = 0; y < 2; ++y) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(Row(scaledA, y, c), (V{1, 2, 4}));  // 2.5 gives 2
      EXPECT_EQ(Row(scaledB, y, c), (V{1, 4, 6}));  // 3.5 gives 4
    }
  }
}

TEST(ResampleImage, BoxRepeatsWhenEnlargingAndDoesNotNormaliseWhenShrinking) {
  const RgbImage four = MakeRgbImage(4, 2, [](int x, int, int c) { return 10 * x + c; });
  EXPECT_EQ(Row(Resample(four, 8, 2, "Box"), 1, 2), (V{2, 2, 12, 12, 22, 22, 32, 32}));
  const RgbImage flat = MakeRgbImage(6, 2, [](int, int, int) { return 100; });
  const RgbImage shrunk = Resample(flat, 4, 2, "Box");
  for (int y = 0; y < 2; ++y)
    EXPECT_EQ(Row(shrunk, y, 0), (V{60, 120, 120, 60}));
}

TEST(ResampleImage, ColumnsAreScaledLikeRows) {
  // The vertical pass must treat a column exactly as the horizontal pass treats a row. Lanczos3
  // keeps the unscaled axis as it is, so scaling one axis of an image and of its transpose
  // must give transposed results.
  std::mt19937 random(3);
  const RgbImage source = MakeRgbImage(7, 11, [&](int, int, int) { return random() % 256; });
  RgbImage transposed(11, 7);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 7; ++x)
      std::memcpy(transposed.Row(x) + 3 * y, source.Row(y) + 3 * x, 3);
  const RgbImage scaled = Resample(source, 7, 5, "Lanczos3");
  const RgbImage scaledTransposed = Resample(transposed, 5, 7, "Lanczos3");
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      ASSERT_EQ(std::memcmp(scaled.Row(y) + 3 * x, scaledTransposed.Row(x) + 3 * y, 3), 0);
}

TEST(ResampleImage, RejectsWhatItCannotScaleWithoutWritingTheDestination) {
  const FilterEntry& lanczos = FilterNamed("Lanczos3");
  RgbImage destination = MakeRgbImage(4, 4, [](int, int, int) { return 77; });
  const RgbImage marked = destination.Clone();
  EXPECT_EQ(testing::ErrorText([&] {
              ResampleImage(RgbImage(0, 5), destination, lanczos.function, lanczos.support);
            }),
            "Source bitmap too small");
  EXPECT_THROW(ResampleImage(RgbImage(5, 0), destination, lanczos.function, lanczos.support),
               Error);
  const RgbImage oneRow = MakeRgbImage(5, 1, [](int, int, int) { return 1; });
  EXPECT_THROW(ResampleImage(oneRow, destination, lanczos.function, lanczos.support), Error);
  RgbImage oneColumn(1, 4);
  const RgbImage wide = MakeRgbImage(5, 4, [](int, int, int) { return 1; });
  EXPECT_THROW(ResampleImage(wide, oneColumn, lanczos.function, lanczos.support), Error);
  EXPECT_TRUE(SameImage(destination, marked));
  RgbImage empty(0, 1008);
  EXPECT_NO_THROW(ResampleImage(wide, empty, lanczos.function, lanczos.support));
}

TEST(ResampleImage, SameBytesWhateverModeTheThreadStartedIn) {
  std::mt19937 random(9);
  const RgbImage source = RandomImage(160, 250, random);
  auto scale = [&] { return Resample(source, 102, 157, "Lanczos3"); };
  EXPECT_TRUE(SameImage(OnThreadIn53BitMode(scale), OnThreadIn64BitMode(scale)));
}

}  // namespace
}  // namespace tamsolo
