#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "decode/decoders.h"
#include "support/error_text.h"
#include "support/rgb_image_maker.h"
#include "support/webp_encoder.h"

namespace tamsolo {
namespace {

using testing::Rgb;

// Lossless data gives back every stored colour, under alpha 0 too; lossy comes near; data cut
// short is refused.
TEST(WebpDecoder, StillImagesKeepTheirStoredColours) {
  std::mt19937 random(19);
  const RgbImage noise = testing::RandomImage(37, 23, random);
  EXPECT_TRUE(testing::SameImage(DecodeWebp(testing::EncodeWebp(noise, true)), noise));
  EXPECT_TRUE(testing::SameImage(DecodeWebp(testing::EncodeWebp(noise, true, 90, 128)), noise));
  std::vector<uint8_t> cut = testing::EncodeWebp(noise, true);
  cut.resize(cut.size() - 8);
  EXPECT_EQ(testing::ErrorText([&] { DecodeWebp(cut); }), "WebP data ends early");
  const RgbImage smooth = testing::MakeRgbImage(64, 48, [](int x, int y) {
    return Rgb{uint8_t(x * 4), uint8_t(y * 5), uint8_t(200 - x - y)};
  });
  const RgbImage lossy = DecodeWebp(testing::EncodeWebp(smooth, false, 95));
  ASSERT_EQ(lossy.ByteSize(), smooth.ByteSize());
  long difference = 0;
  for (size_t i = 0; i < lossy.ByteSize(); ++i)
    difference += std::abs(lossy.Data()[i] - smooth.Data()[i]);
  EXPECT_LT(difference, long(lossy.ByteSize()) * 3);  // under 3 levels on average
}

// The first frame at its offset on a black canvas, blended or not; later frames are not shown.
TEST(WebpDecoder, AnAnimationGivesItsFirstFrameOnABlackCanvas) {
  const RgbImage first = testing::MakeRgbImage(4, 2, [](int x, int y) {
    return Rgb{uint8_t(200 + x), uint8_t(100 + y), 50};
  });
  const RgbImage second = testing::MakeRgbImage(8, 6, [](int, int) { return Rgb{9, 9, 9}; });
  for (const bool blend : {true, false}) {
    const RgbImage image = DecodeWebp(
        testing::EncodeAnimatedWebp(8, 6, {{&first, 2, 2, blend}, {&second, 0, 0, blend}}));
    ASSERT_EQ(image.Width() * 10 + image.Height(), 86);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool inFrame = x >= 2 && x < 6 && y >= 2 && y < 4;
        const Rgb expected = inFrame ? testing::PixelAt(first, x - 2, y - 2) : Rgb{0, 0, 0};
        EXPECT_EQ(testing::PixelAt(image, x, y), expected) << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace tamsolo
