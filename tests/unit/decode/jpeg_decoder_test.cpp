#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "decode/decoders.h"
#include "support/error_text.h"
#include "support/jpeg_encoder.h"
#include "support/rgb_image_maker.h"

namespace tamsolo {
namespace {

using testing::EncodeJpeg;
using testing::MakeRgbImage;
using testing::PixelAt;
using testing::Rgb;

RgbImage Gradient(int width, int height) {
  return MakeRgbImage(width, height, [](int x, int y) {
    return Rgb{uint8_t(x * 5), uint8_t(y * 7), uint8_t(128 + (x + y) % 16)};
  });
}

RgbImage Flat(int width, int height, uint8_t gray) {
  return MakeRgbImage(width, height, [=](int, int) { return Rgb{gray, gray, gray}; });
}

std::string DecodeError(const std::vector<uint8_t>& bytes, uint64_t limit) {
  return testing::ErrorText([&] { DecodeJpeg(bytes, limit); });
}

bool SamePixels(const RgbImage& a, const RgbImage& b, int rows) {
  return a.Width() == b.Width() && std::equal(a.Data(), a.Data() + a.Stride() * rows, b.Data());
}

// The 236 values of the one-pass quantiser's gray levels: (255k + 117) div 235.
std::set<int> GrayLevels() {
  std::set<int> levels;
  for (int k = 0; k < 236; ++k)
    levels.insert((255 * k + 117) / 235);
  return levels;
}

TEST(JpegDecoder, ColourImageKeepsItsChannels) {
  const RgbImage source = Gradient(48, 32);
  const RgbImage image = DecodeJpeg(EncodeJpeg(source, {.quality = 100}));
  EXPECT_FALSE(image.KnownGray());
  ASSERT_EQ(image.Width(), 48);
  ASSERT_EQ(image.Height(), 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) {
      for (int c = 0; c < 3; ++c)
        ASSERT_NEAR(PixelAt(image, x, y)[c], PixelAt(source, x, y)[c], 10) << x << "," << y;
    }
  }
}

TEST(JpegDecoder, GrayscaleGivesOnlyTheQuantiserLevels) {
  const std::set<int> levels = GrayLevels();
  const RgbImage ramp = MakeRgbImage(256, 8, [](int x, int) { return Rgb{uint8_t(x), 0, 0}; });
  const RgbImage image = DecodeJpeg(testing::EncodeGrayJpeg(ramp, {.quality = 100}));
  EXPECT_TRUE(image.KnownGray());
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const Rgb p = PixelAt(image, x, y);
      ASSERT_TRUE(p[0] == p[1] && p[1] == p[2] && levels.count(p[0])) << x << "," << y;
    }
  }
  // A flat gray between two levels is dithered from its two neighbours.
  int between = 0;
  while (levels.count(between))
    ++between;
  const RgbImage flat =
      DecodeJpeg(testing::EncodeGrayJpeg(Flat(64, 64, between), {.quality = 100}));
  std::set<int> seen;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x)
      seen.insert(PixelAt(flat, x, y)[0]);
  }
  EXPECT_EQ(seen, (std::set<int>{between - 1, between + 1}));
}

TEST(JpegDecoder, ProgressiveDecodesLikeBaseline) {
  const RgbImage source = Gradient(40, 40);
  const RgbImage baseline = DecodeJpeg(EncodeJpeg(source));
  const RgbImage progressive = DecodeJpeg(EncodeJpeg(source, {.progressive = true}));
  EXPECT_TRUE(SamePixels(baseline, progressive, 40));
}

// A file that ends early is finished by libjpeg and said to have ended early.
TEST(JpegDecoder, TruncatedDataIsFinishedNotRefused) {
  const RgbImage source = Gradient(64, 128);
  for (bool progressive : {false, true}) {
    const std::vector<uint8_t> whole = EncodeJpeg(source, {.progressive = progressive});
    DecodeNotes wholeNotes, cutNotes;
    const RgbImage full = DecodeJpeg(whole, kDefaultDecodeMemoryLimit, &wholeNotes);
    const RgbImage cut =
        DecodeJpeg(std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() * 6 / 10),
                   kDefaultDecodeMemoryLimit, &cutNotes);
    ASSERT_EQ(cut.Height(), 128);
    EXPECT_FALSE(wholeNotes.dataEndedEarly);
    EXPECT_TRUE(cutNotes.dataEndedEarly);
    if (!progressive) {
      EXPECT_TRUE(SamePixels(full, cut, 16));
    }
  }
}

TEST(JpegDecoder, RefusesWhatItCannotDecode) {
  const std::vector<uint8_t> notJpeg = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_NE(DecodeError({}, kDefaultDecodeMemoryLimit).find("empty"), std::string::npos);
  EXPECT_NE(DecodeError(notJpeg, kDefaultDecodeMemoryLimit).find("JPEG"), std::string::npos);
  const std::vector<uint8_t> cmyk = testing::EncodeCmykJpeg(Gradient(16, 16));
  EXPECT_NE(DecodeError(cmyk, kDefaultDecodeMemoryLimit).find("CMYK"), std::string::npos);
}

// Sets the height and width of the first start-of-frame marker.
void DeclareSize(std::vector<uint8_t>& jpeg, uint16_t width, uint16_t height) {
  for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
      jpeg[i + 5] = height >> 8;
      jpeg[i + 6] = height & 0xFF;
      jpeg[i + 7] = width >> 8;
      jpeg[i + 8] = width & 0xFF;
      return;
    }
  }
  FAIL() << "no frame marker";
}

// The budget is the image (w x h x 3), the row buffers (w x components x 4 block rows of 8 x
// the largest vertical sampling factor, plus 64 KiB) and, for a file of several scans, every
// coefficient (blocks rounded up to the sampling factors, 64 coefficients of 2 bytes).
TEST(JpegDecoder, MemoryLimitCountsTheImageAndTheLibrarysBuffers) {
  const RgbImage source = Gradient(16, 16);
  const struct {
    const char* what;
    std::vector<uint8_t> jpeg;
    uint64_t needed;
  } cases[] = {
      // 768 + 16 x 3 x 64 + 65536
      {"baseline 4:2:0", EncodeJpeg(source), 69'376},
      // the same and 2 x 2 luma blocks and 1 block per chroma component: (4 + 1 + 1) x 128
      {"progressive 4:2:0", EncodeJpeg(source, {.progressive = true}), 70'144},
      // 768 + 16 x 1 x 32 + 65536
      {"gray", testing::EncodeGrayJpeg(source), 66'816},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeError(c.jpeg, c.needed), "no error") << c.what;
    EXPECT_EQ(DecodeError(c.jpeg, c.needed - 1), "Image too large: needs " +
                                                     std::to_string(c.needed) + " bytes, limit " +
                                                     std::to_string(c.needed - 1))
        << c.what;
  }
  std::vector<uint8_t> huge = EncodeJpeg(source);
  DeclareSize(huge, 60000, 60000);  // about 10 GB of pixels from a few hundred bytes
  EXPECT_NE(DecodeError(huge, kDefaultDecodeMemoryLimit).find("too large"), std::string::npos);
}

TEST(JpegDecoder, EndlessScansAreRefused) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(Gradient(16, 16), {.progressive = true});
  size_t lastScan = 0;
  for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
      lastScan = i;
  }
  const auto repeated = [&](int times) {
    std::vector<uint8_t> out(jpeg.begin(), jpeg.end() - 2);
    for (int i = 0; i < times; ++i)
      out.insert(out.end(), jpeg.begin() + lastScan, jpeg.end() - 2);
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
  };
  EXPECT_EQ(DecodeError(repeated(5), kDefaultDecodeMemoryLimit), "no error");
  EXPECT_NE(DecodeError(repeated(1100), kDefaultDecodeMemoryLimit).find("scans"),
            std::string::npos);
}

}  // namespace
}  // namespace tamsolo
