#include "page/page_bitmap.h"
#include "page/page_fill.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/file_bytes.h"
#include "support/rgb_image_maker.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

using testing::MakeRgbImage;
using testing::Rgb;

// The colour 0xRRGGBB.
Rgb Packed(uint32_t c) {
  return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
}

PageImage FilledPage(const RgbImage& scaled, int32_t firstColumn) {
  PageImage page;
  SetUpPage(page);
  FillPage(scaled, firstColumn, page);
  return page;
}

TEST(GrayMapping, WorkedValues) {
  EXPECT_EQ(GrayIndex(255, 255, 255), 15);
  EXPECT_EQ(GrayIndex(0, 0, 0), 0);
  EXPECT_EQ(GrayIndex(128, 128, 128), 7);
  EXPECT_EQ(GrayIndex(255, 0, 0), 4);
  EXPECT_EQ(GrayIndex(0, 255, 0), 8);
  EXPECT_EQ(GrayIndex(0, 0, 255), 1);
  EXPECT_EQ(GrayIndex(255, 255, 0), 13);
  // Band edges: L = 1650 is index 1, L = 1649 index 0.
  EXPECT_EQ(GrayIndex(55, 0, 0), 1);
  EXPECT_EQ(GrayIndex(0, 0, 149), 0);
  EXPECT_EQ(GrayIndex(0, 0, 150), 1);
}

// Every one of the 2^24 colours, through the page fill, against the plain division.
TEST(GrayMapping, PageFillMatchesTheFormulaForEveryColour) {
  constexpr int kPixels = 768 * kScaledHeight;
  for (uint32_t base = 0; base < (1u << 24); base += kPixels) {
    const RgbImage scaled = MakeRgbImage(768, kScaledHeight, [&](int x, int y) {
      return Packed(base + static_cast<uint32_t>(y) * 768 + static_cast<uint32_t>(x));
    });
    const PageImage page = FilledPage(scaled, 0);
    for (int y = 0; y < kScaledHeight; ++y) {
      const uint8_t* rgb = scaled.Row(y);
      const uint8_t* packed = page.PictureRow(y);
      for (int x = 0; x < 768; ++x) {
        const uint8_t got = (x % 2 == 0) ? packed[x / 2] >> 4 : packed[x / 2] & 0x0F;
        ASSERT_EQ(got, GrayIndex(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]))
            << "colour " << std::hex << (base + y * 768 + x);
      }
    }
  }
}

TEST(PageFill, ColumnsOutsideTheImageAndTheBottomBandAreWhite) {
  // Column c of a 1000-column image has gray index c % 15, which is never white.
  const RgbImage scaled = MakeRgbImage(1000, kScaledHeight, [](int x, int) {
    const auto v = static_cast<uint8_t>(x % 15 * 17);
    return Rgb{v, v, v};
  });
  for (int32_t first : {-96, 0, 500, -800, 1000}) {
    const PageImage page = FilledPage(scaled, first);
    for (int y : {0, 500, 1007}) {
      for (int x = 0; x < 768; ++x) {
        const int c = first + x;
        const int expected = (c < 0 || c >= 1000) ? 15 : c % 15;
        ASSERT_EQ(page.GetPixel(x, y), expected) << "first " << first << " x " << x;
      }
    }
    for (int y = kScaledHeight; y < 1024; ++y) {
      for (int x = 0; x < 768; ++x)
        ASSERT_EQ(page.GetPixel(x, y), 15);
    }
  }
}

TEST(PageFill, WhiteBandIsTheFirst6144BytesOfThePixelArray) {
  testing::TempFolder folder;
  const RgbImage black = MakeRgbImage(768, kScaledHeight, [](int, int) { return Rgb{}; });
  PageBitmap copy;
  copy.Assign(FilledPage(black, 0));
  copy.SaveToFile(folder.File("p.bmp"));
  const auto file = ReadWholeFile(folder.File("p.bmp"), 1 << 20);
  for (size_t at = 118; at <= 6261; ++at)
    ASSERT_EQ(file[at], 0xFF) << at;
  for (size_t at = 6262; at < file.size(); ++at)
    ASSERT_EQ(file[at], 0x00) << at;
}

TEST(PageFill, RefusesAnImageThatIsNot1008RowsHigh) {
  const RgbImage shallow = MakeRgbImage(768, 10, [](int, int) { return Rgb{}; });
  PageImage page;
  SetUpPage(page);
  EXPECT_THROW(FillPage(shallow, 0, page), Error);
  const RgbImage scaled = MakeRgbImage(768, kScaledHeight, [](int, int) { return Rgb{}; });
  EXPECT_THROW(FillPage(scaled, 0, *std::make_unique<PageImage>()), Error);
}

}  // namespace
}  // namespace tamsolo
