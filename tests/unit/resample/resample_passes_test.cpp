#include "resample/resample_passes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <vector>

#include "resample/filters.h"
#include "platform/error.h"
#include "support/filter_by_name.h"
#include "support/rgb_image_maker.h"

namespace tamsolo {
namespace {

using testing::RandomImage;
using testing::SameImage;

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
// one column wide, where the wide filters reach beyond a single reflection. A gray source is
// scaled as one channel; it must give the bytes of scaling all three.
TEST(ResampleImageUsing, VectorPathMatchesTheEmulationExactly) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> size(2, 90);
  std::vector<AccumulatePath> paths = {AccumulatePath::Emulated};
  if (Fma3Available())
    paths.push_back(AccumulatePath::Fma3);
  for (int k = 0; k < 80; ++k) {
    const FilterEntry& entry = FilterTable[k % FilterTable.size()];
    RgbImage source = RandomImage(k % 5 == 0 ? 1 + k % 3 : size(random), size(random), random);
    const bool gray = k % 2 == 1;
    for (size_t p = 0; gray && p < source.ByteSize(); p += 3)
      source.Data()[p + 1] = source.Data()[p + 2] = source.Data()[p];
    RgbImage expected(size(random), size(random));
    ResampleImageUsing(AccumulatePath::Emulated, source, expected, entry.function, entry.support);
    ASSERT_FALSE(expected.KnownGray());
    source.SetKnownGray(gray);
    for (const AccumulatePath path : paths) {
      RgbImage scaled(expected.Width(), expected.Height());
      ResampleImageUsing(path, source, scaled, entry.function, entry.support);
      ASSERT_TRUE(SameImage(scaled, expected))
          << entry.name << " " << source.Width() << "x" << source.Height() << " -> "
          << scaled.Width() << "x" << scaled.Height() << (gray ? " gray" : "");
      EXPECT_EQ(scaled.KnownGray(), gray);
    }
  }
}

// The checkpoint is called at least every 8 rows of either pass; what it throws ends the
// scaling, and a checkpoint that throws nothing leaves every byte as it is.
TEST(ResampleImageUsing, ACheckpointBetweenBandsOfRowsCanEndTheScaling) {
  std::mt19937 random(7);
  const RgbImage source = RandomImage(40, 100, random);
  const FilterEntry& lanczos = testing::FilterNamed("Lanczos3");
  std::vector<AccumulatePath> paths = {AccumulatePath::Emulated};
  if (Fma3Available())
    paths.push_back(AccumulatePath::Fma3);
  for (const AccumulatePath path : paths) {
    RgbImage plain(30, 50), checked(30, 50);
    ResampleImageUsing(path, source, plain, lanczos.function, lanczos.support);
    int calls = 0;
    ResampleImageUsing(path, source, checked, lanczos.function, lanczos.support, [&] { ++calls; });
    EXPECT_TRUE(SameImage(plain, checked));
    EXPECT_GE(calls, (100 + 50) / 8);
    for (const int last : {1, calls}) {
      int seen = 0;
      EXPECT_THROW(ResampleImageUsing(path, source, checked, lanczos.function, lanczos.support,
                                      [&] {
                                        if (++seen == last)
                                          throw Error("stopped");
                                      }),
                   Error)
          << last;
    }
  }
}

}  // namespace
}  // namespace tamsolo
