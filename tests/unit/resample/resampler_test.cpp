#include "resample/resampler.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "resample/resample_passes.h"
#include "platform/error.h"
#include "support/filter_by_name.h"
#include "support/x87_thread.h"

namespace tamsolo {
namespace {

const FilterEntry& Named(const std::string& name) {
  return testing::FilterNamed(name);
}

template <typename Channel>
RgbImage MakeImage(int width, int height, Channel channel) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        image.Row(y)[3 * x + c] = static_cast<uint8_t>(channel(x, y, c));
  return image;
}

RgbImage RandomImage(int width, int height, std::mt19937& random) {
  // Mostly hard 0/255 edges, so that results overshoot and get clamped, plus some noise.
  std::uniform_int_distribution<int> byte(0, 255);
  const bool edges = byte(random) < 128;
  return MakeImage(width, height, [&](int, int, int) {
    const int v = byte(random);
    return edges ? (v < 128 ? 0 : 255) : v;
  });
}

RgbImage Resample(const RgbImage& source, int width, int height, const std::string& filter) {
  RgbImage destination(width, height);
  std::memset(destination.Data(), 0xAB, destination.ByteSize());
  ResampleImage(source, destination, Named(filter).function, Named(filter).support);
  return destination;
}

std::vector<int> Row(const RgbImage& image, int y, int channel) {
  std::vector<int> values;
  for (int x = 0; x < image.Width(); ++x)
    values.push_back(image.Row(y)[3 * x + channel]);
  return values;
}

bool SameBytes(const RgbImage& a, const RgbImage& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Data(), b.Data(), a.ByteSize()) == 0;
}

using V = std::vector<int>;

TEST(ResampleImage, SameSizeReproducesOrBlursAsEachKernelDoes) {
  std::mt19937 random(7);
  const RgbImage noise = MakeImage(13, 9, [&](int, int, int) { return random() % 256; });
  for (const char* exact : {"Box", "Triangle", "Hermite", "Lanczos3"})
    EXPECT_TRUE(SameBytes(Resample(noise, 13, 9, exact), noise)) << exact;

  // One bright column in otherwise black rows: the blur shows each kernel's weights.
  const RgbImage line = MakeImage(5, 4, [](int x, int, int) { return x == 2 ? 200 : 0; });
  EXPECT_EQ(Row(Resample(line, 5, 4, "Bell"), 3, 1), (V{0, 25, 150, 25, 0}));
  EXPECT_EQ(Row(Resample(line, 5, 4, "B-Spline"), 0, 0), (V{0, 33, 133, 33, 0}));
  EXPECT_EQ(Row(Resample(line, 5, 4, "Mitchell"), 2, 2), (V{0, 11, 178, 11, 0}));
}

TEST(ResampleImage, TriangleHalfwayValuesRoundToEven) {
  const RgbImage a = MakeImage(2, 2, [](int x, int, int) { return x == 0 ? 1 : 4; });
  const RgbImage b = MakeImage(2, 2, [](int x, int, int) { return x == 0 ? 1 : 6; });
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
  const RgbImage four = MakeImage(4, 2, [](int x, int, int c) { return 10 * x + c; });
  EXPECT_EQ(Row(Resample(four, 8, 2, "Box"), 1, 2), (V{2, 2, 12, 12, 22, 22, 32, 32}));
  const RgbImage flat = MakeImage(6, 2, [](int, int, int) { return 100; });
  const RgbImage shrunk = Resample(flat, 4, 2, "Box");
  for (int y = 0; y < 2; ++y)
    EXPECT_EQ(Row(shrunk, y, 0), (V{60, 120, 120, 60}));
}

TEST(ResampleImage, ColumnsAreScaledLikeRows) {
  // The vertical pass must treat a column exactly as the horizontal pass treats a row. Lanczos3
  // keeps the unscaled axis as it is, so scaling one axis of an image and of its transpose
  // must give transposed results.
  std::mt19937 random(3);
  const RgbImage source = MakeImage(7, 11, [&](int, int, int) { return random() % 256; });
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
  const FilterEntry& lanczos = Named("Lanczos3");
  RgbImage destination = MakeImage(4, 4, [](int, int, int) { return 77; });
  const RgbImage marked = destination.Clone();
  try {
    ResampleImage(RgbImage(0, 5), destination, lanczos.function, lanczos.support);
    ADD_FAILURE() << "an empty source was accepted";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Source bitmap too small");
  }
  EXPECT_THROW(ResampleImage(RgbImage(5, 0), destination, lanczos.function, lanczos.support),
               Error);
  const RgbImage oneRow = MakeImage(5, 1, [](int, int, int) { return 1; });
  EXPECT_THROW(ResampleImage(oneRow, destination, lanczos.function, lanczos.support), Error);
  RgbImage oneColumn(1, 4);
  const RgbImage wide = MakeImage(5, 4, [](int, int, int) { return 1; });
  EXPECT_THROW(ResampleImage(wide, oneColumn, lanczos.function, lanczos.support), Error);
  EXPECT_TRUE(SameBytes(destination, marked));
  RgbImage empty(0, 1008);
  EXPECT_NO_THROW(ResampleImage(wide, empty, lanczos.function, lanczos.support));
}

// The accumulation step against the FMA3 instruction: random operands, and operands built so
// that the exact sum sits within a few units of the 2^-60 place of a tie between two floats,
// where rounding to double first would go wrong.
TEST(FusedMultiplyAdd, EmulationMatchesTheInstructionBitForBit) {
  if (!Fma3Available())
    GTEST_SKIP() << "no FMA3 on this processor";
  std::mt19937_64 random(11);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> exponent(-30, 10);
  std::uniform_real_distribution<float> unit(-1, 1);
  int nearTies = 0;
  for (int k = 0; k < 2'000'000; ++k) {
    const float value = static_cast<float>(byte(random));
    const float sum = std::ldexp(unit(random), exponent(random));
    float weight = std::ldexp(unit(random), exponent(random) / 4);
    if (k % 2 == 1 && value != 0 && sum != 0) {
      // Half a unit in the last place of sum, divided by value, rounded and nudged.
      int e;
      std::frexp(sum, &e);
      const double halfUlp = std::ldexp(1.0, e - 25);
      weight = static_cast<float>(halfUlp / value);
      weight = std::bit_cast<float>(std::bit_cast<uint32_t>(weight) + (k % 7) - 3);
      nearTies += std::abs(value * static_cast<double>(weight) - halfUlp) < halfUlp * 1e-6;
    }
    const float emulated = FusedMultiplyAddEmulated(sum, value, weight);
    const float hardware = FusedMultiplyAddFma3(sum, value, weight);
    ASSERT_EQ(std::bit_cast<uint32_t>(emulated), std::bit_cast<uint32_t>(hardware))
        << sum << " + " << value << " * " << weight;
  }
  EXPECT_GT(nearTies, 100'000);
}

TEST(SumToByte, ClampsThenRoundsHalfToEven) {
  EXPECT_EQ(SumToByte(-1000), 0);
  EXPECT_EQ(SumToByte(-0.4f), 0);
  EXPECT_EQ(SumToByte(0.5f), 0);
  EXPECT_EQ(SumToByte(1.5f), 2);
  EXPECT_EQ(SumToByte(2.5f), 2);
  EXPECT_EQ(SumToByte(3.5f), 4);
  EXPECT_EQ(SumToByte(std::nextafter(2.5f, 3.0f)), 3);
  EXPECT_EQ(SumToByte(254.5f), 254);
  EXPECT_EQ(SumToByte(255.5f), 255);
  EXPECT_EQ(SumToByte(256), 255);
  EXPECT_EQ(SumToByte(1e9f), 255);
}

// Whole images through both paths: the vector path keeps every sum's tap order, so the bytes
// must agree exactly, at every width tail, every height not a multiple of 8, and on sources
// one column wide, where the wide filters reach beyond a single reflection.
TEST(ResampleImageUsing, VectorPathMatchesTheEmulationExactly) {
  if (!Fma3Available())
    GTEST_SKIP() << "no FMA3 on this processor";
  std::mt19937 random(5);
  std::uniform_int_distribution<int> size(2, 90);
  for (int k = 0; k < 60; ++k) {
    const FilterEntry& entry = FilterTable[k % FilterTable.size()];
    const RgbImage source =
        RandomImage(k % 5 == 0 ? 1 + k % 3 : size(random), size(random), random);
    RgbImage fma3(size(random), size(random));
    RgbImage emulated(fma3.Width(), fma3.Height());
    ResampleImageUsing(AccumulatePath::Fma3, source, fma3, entry.function, entry.support);
    ResampleImageUsing(AccumulatePath::Emulated, source, emulated, entry.function, entry.support);
    ASSERT_TRUE(SameBytes(fma3, emulated))
        << entry.name << " " << source.Width() << "x" << source.Height() << " -> " << fma3.Width()
        << "x" << fma3.Height();
  }
}

TEST(ResampleImage, SameBytesWhateverModeTheThreadStartedIn) {
  std::mt19937 random(9);
  const RgbImage source = RandomImage(160, 250, random);
  auto scale = [&] { return Resample(source, 102, 157, "Lanczos3"); };
  EXPECT_TRUE(SameBytes(OnThreadIn53BitMode(scale), OnThreadIn64BitMode(scale)));
}

}  // namespace
}  // namespace tamsolo
