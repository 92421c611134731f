#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <utility>

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
  // A value goes to the first level whose bound ((2k + 1) 255 + 235) div 470 it does not pass,
  // which for 1 and 14 is the level below their own: a flat area of them is dithered too.
  const std::pair<uint8_t, std::set<int>> flats[] = {
      {0, {0}}, {1, {0, 1}}, {6, {5, 7}}, {14, {13, 14}}, {128, {127, 128}}, {255, {255}}};
  for (const auto& [gray, expected] : flats) {
    const RgbImage flat = DecodeJpeg(testing::EncodeGrayJpeg(Flat(64, 64, gray), {.quality = 100}));
    std::set<int> seen;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x)
        seen.insert(PixelAt(flat, x, y)[0]);
    }
    EXPECT_EQ(seen, expected) << int{gray};
  }
}

// The program's gray quantiser against libjpeg's own, byte for byte: every flat value, ramps
// and noise, widths 1 to 5000, baseline, progressive (whole and cut short) and restart markers.
TEST(JpegDecoder, OwnGrayQuantiserGivesTheLibrarysBytes) {
  std::mt19937 random(18);
  const auto noise = [&](int w, int h) { return testing::RandomImage(w, h, random); };
  const auto ramp = [](int w, int h) {
    return MakeRgbImage(w, h, [=](int x, int y) { return Rgb{uint8_t((x * 255 / w + y) % 256)}; });
  };
  struct Case {
    RgbImage image;
    testing::JpegOptions options;
    size_t keepPercent = 100;
  };
  std::vector<Case> cases;
  for (int gray = 0; gray < 256; ++gray)
    cases.push_back({Flat(gray % 61 + 1, 9, uint8_t(gray)), {.quality = 100}});
  for (int width : {1, 2, 3, 16, 17, 255, 1001, 4096, 4999, 5000}) {
    cases.push_back({ramp(width, 11), {.quality = 100}});
    cases.push_back({noise(width, 21), {.quality = 90}});
    cases.push_back({noise(width, 40), {.quality = 75, .progressive = true}});
    cases.push_back({noise(width, 40), {.quality = 75, .progressive = true}, 55});
    cases.push_back({ramp(width, 33), {.quality = 50, .restartRows = 1}});
  }
  size_t decoded = 0;
  for (const Case& c : cases) {
    std::vector<uint8_t> jpeg = testing::EncodeGrayJpeg(c.image, c.options);
    jpeg.resize(jpeg.size() * c.keepPercent / 100);
    RgbImage own, library;  // a cut that ends inside a marker fails both ways alike
    const auto decode = [&](GrayQuantising quantising, RgbImage& image) {
      return testing::ErrorText(
          [&] { image = DecodeJpeg(jpeg, kDefaultDecodeMemoryLimit, nullptr, quantising); });
    };
    const std::string what = std::to_string(c.image.Width()) + " x " +
                             std::to_string(c.image.Height()) + ", " +
                             std::to_string(c.keepPercent) + "% kept";
    ASSERT_EQ(decode(GrayQuantising::Own, own), decode(GrayQuantising::Library, library)) << what;
    ASSERT_TRUE(testing::SameImage(own, library)) << what;
    decoded += own.Empty() ? 0 : 1;
  }
  EXPECT_GT(decoded, cases.size() * 9 / 10);
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

// Data that runs out within the first tenth of the rows is refused where it runs out, rather
// than finished by libjpeg: a few hundred bytes must not cost a whole large image.
TEST(JpegDecoder, DataEndingBeforeATenthOfTheRowsIsRefused) {
  for (bool progressive : {false, true}) {
    std::vector<uint8_t> jpeg = EncodeJpeg(Gradient(64, 1280), {.progressive = progressive});
    size_t scan = 0;
    while (scan + 3 < jpeg.size() && !(jpeg[scan] == 0xFF && jpeg[scan + 1] == 0xDA))
      ++scan;
    jpeg.resize(scan + 2 + (jpeg[scan + 2] << 8 | jpeg[scan + 3]) + 8);
    EXPECT_NE(DecodeError(jpeg, kDefaultDecodeMemoryLimit).find("before a tenth of the rows"),
              std::string::npos)
        << progressive;
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
