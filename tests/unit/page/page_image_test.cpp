#include "page/page_bitmap.h"
#include "page/page_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/error.h"
#include "platform/file_bytes.h"
#include "platform/system_text.h"
#include "support/code_page.h"
#include "support/error_text.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

constexpr size_t kFileSize = 393334;

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}
uint16_t Le16(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::vector<uint8_t> SavedBlank(const PageImage& page, const testing::TempFolder& folder) {
  page.SaveToFile(folder.File("blank.bmp"));
  return ReadWholeFile(folder.File("blank.bmp"), 1 << 20);
}

std::vector<uint8_t> SavedPage(const PageImage& page, const testing::TempFolder& folder) {
  PageBitmap copy;
  copy.Assign(page);
  copy.SaveToFile(folder.File("page.bmp"));
  return ReadWholeFile(folder.File("page.bmp"), 1 << 20);
}

TEST(PageFiles, BlankLayoutOfAWhitePage) {
  testing::TempFolder folder;
  const auto file = SavedBlank(MakeWhitePage(), folder);
  ASSERT_EQ(file.size(), kFileSize);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Le32(file, 2), kFileSize);
  EXPECT_EQ(Le32(file, 6), 0u);
  EXPECT_EQ(Le32(file, 10), 118u);
  EXPECT_EQ(Le32(file, 14), 40u);
  EXPECT_EQ(Le32(file, 18), 768u);
  EXPECT_EQ(Le32(file, 22), 1024u);
  EXPECT_EQ(Le16(file, 26), 1);
  EXPECT_EQ(Le16(file, 28), 4);
  EXPECT_EQ(Le32(file, 30), 0u);
  EXPECT_EQ(Le32(file, 34), 0u);
  EXPECT_EQ(Le32(file, 38), 3780u);
  EXPECT_EQ(Le32(file, 42), 3780u);
  EXPECT_EQ(Le32(file, 46), 16u);
  EXPECT_EQ(Le32(file, 50), 0u);
  for (int i = 0; i < 16; ++i) {
    const uint8_t gray = static_cast<uint8_t>(17 * i);
    EXPECT_EQ(Le32(file, 54 + 4 * i), uint32_t{gray} * 0x010101u) << "entry " << i;
  }
  for (size_t at = 118; at < file.size(); ++at)
    ASSERT_EQ(file[at], 0xFF) << "byte " << at;
}

TEST(PageFiles, PageLayoutDiffersFromBlankOnlyInBytes34To45) {
  testing::TempFolder folder;
  const PageImage white = MakeWhitePage();
  const auto blank = SavedBlank(white, folder);
  const auto page = SavedPage(white, folder);
  ASSERT_EQ(page.size(), kFileSize);
  EXPECT_EQ(Le32(page, 34), 393216u);
  EXPECT_EQ(Le32(page, 38), 0u);
  EXPECT_EQ(Le32(page, 42), 0u);
  for (size_t at = 0; at < page.size(); ++at) {
    if (at < 34 || at > 45) {
      ASSERT_EQ(page[at], blank[at]) << "byte " << at;
    }
  }
}

TEST(PageFiles, PixelPositionsInTheFile) {
  testing::TempFolder folder;
  PageImage page;
  SetUpPage(page);
  page.SetPixel(0, 0, 0xA);
  page.SetPixel(1, 0, 0x5);
  page.SetPixel(767, 0, 0x3);
  page.SetPixel(0, 1023, 0xC);
  page.SetPixel(767, 1023, 0x9);
  for (const auto& file : {SavedBlank(page, folder), SavedPage(page, folder)}) {
    EXPECT_EQ(file[392950], 0xA5);
    EXPECT_EQ(file[393333], 0x03);
    EXPECT_EQ(file[118], 0xC0);
    EXPECT_EQ(file[501], 0x09);
  }
}

TEST(PageFiles, SavingReplacesAnExistingFile) {
  testing::TempFolder folder;
  std::ofstream(folder.File("blank.bmp"), std::ios::binary) << std::string(500000, 'x');
  std::ofstream(folder.File("page.bmp"), std::ios::binary) << std::string(500000, 'x');
  EXPECT_EQ(SavedBlank(MakeWhitePage(), folder).size(), kFileSize);
  EXPECT_EQ(SavedPage(MakeWhitePage(), folder).size(), kFileSize);
}

// The text is the system's own, in the program's code page, around the path and the
// system's description of the cause.
TEST(PageFiles, CreateFailureNamesThePathAndTheCause) {
  testing::TempFolder folder;
  const std::string path = folder.File("missing") + "/page.bmp";
  PageBitmap copy;
  copy.Assign(MakeWhitePage());
  const std::function<void()> writers[] = {[&] { copy.SaveToFile(path); },
                                           [&] { MakeWhitePage().SaveToFile(path); }};
  for (const auto& write : writers) {
    try {
      write();
      FAIL() << "no error";
    } catch (const SystemError& error) {
      EXPECT_NE(error.Code(), 0);
      // ファイル "<path>". <cause> を作成できません
      const std::string before =
          testing::CodePageBytes("\x83\x74\x83\x40\x83\x43\x83\x8B \"",
                                 "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB \"");
      const std::string after = testing::CodePageBytes(
          " \x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1",
          " \xE3\x82\x92\xE4\xBD\x9C\xE6\x88\x90\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3\x81\x9B"
          "\xE3\x82\x93");
      EXPECT_EQ(error.what(),
                before + path + "\". " + SystemErrorDescription(error.Code()) + after);
    }
  }
}

TEST(PageFiles, ShortWriteIsAStreamError) {
  if (!std::filesystem::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full";
  PageBitmap copy;
  copy.Assign(MakeWhitePage());
  for (int blank = 0; blank < 2; ++blank) {
    EXPECT_EQ(testing::ErrorText([&] {
                blank ? MakeWhitePage().SaveToFile("/dev/full") : copy.SaveToFile("/dev/full");
              }),
              "ストリームへの書き込みエラー");
  }
}

TEST(PageFiles, EmptyPageCopyIsNotWritten) {
  testing::TempFolder folder;
  EXPECT_THROW(PageBitmap().SaveToFile(folder.File("x.bmp")), Error);
  EXPECT_FALSE(std::filesystem::exists(folder.File("x.bmp")));
  EXPECT_THROW(PageBitmap().Assign(PageImage()), Error);
}

TEST(PageImagePixels, WritesKeepThePartnerNibbleAndOnlyTheLowBits) {
  PageImage page;
  SetUpPage(page);
  page.SetPixel(0, 0, 0x1F);
  EXPECT_EQ(page.GetPixel(0, 0), 15);
  page.SetPixel(1, 0, 0x2);
  EXPECT_EQ(page.GetPixel(0, 0), 15);
  page.SetPixel(0, 0, 0x7);
  EXPECT_EQ(page.GetPixel(1, 0), 2);
  EXPECT_EQ(page.PictureRow(0)[0], 0x72);
}

TEST(PageImagePixels, PositionsOutsideTheImageAreErrors) {
  PageImage page;
  SetUpPage(page);
  for (auto [x, y] : {std::pair{-1, 0}, {768, 0}, {0, -1}, {0, 1024}}) {
    EXPECT_THROW(page.SetPixel(x, y, 1), Error) << x << "," << y;
    EXPECT_THROW(page.GetPixel(x, y), Error) << x << "," << y;
  }
  EXPECT_THROW(PageImage().SetPixel(0, 0, 1), Error);
}

TEST(PageImageSetUp, RepeatingTheSetUpKeepsPixelsAndColours) {
  PageImage page = MakeWhitePage();
  page.SetPixel(5, 7, 3);
  SetUpPage(page);
  EXPECT_EQ(page.GetPixel(5, 7), 3);
  EXPECT_EQ(page.GetPixel(6, 7), 15);
  page.SetColor(3, 0x123456);
  page.SetPaletteSize(16);
  page.SetWidth(768);
  page.SetHeight(1024);
  page.SetPixelFormat4Bit();
  EXPECT_EQ(page.ColorTable()[12], 0x12);  // blue, green, red
  EXPECT_EQ(page.ColorTable()[14], 0x56);
  EXPECT_EQ(page.GetPixel(5, 7), 3);
}

TEST(PageImageSetUp, ANewSizeClearsPixelsAndColours) {
  PageImage page = MakeWhitePage();
  page.SetWidth(100);
  EXPECT_EQ(page.Stride(), 52);
  EXPECT_EQ(page.PixelArray().size(), 52u * 1024);
  EXPECT_EQ(page.Header().colorsUsed, 16u);
  EXPECT_EQ(page.Header().bitCount, 4);
  for (uint8_t byte : page.PixelArray())
    ASSERT_EQ(byte, 0);
  for (uint8_t byte : page.ColorTable())
    ASSERT_EQ(byte, 0);
  page = MakeWhitePage();
  page.SetHeight(-2);  // top row stored first
  EXPECT_EQ(page.PixelArray().size(), 2u * 384);
  page.SetPixel(0, 0, 9);
  EXPECT_EQ(page.PixelArray()[0], 0x90);
}

TEST(PageImageSetUp, ChangingThePaletteSizeKeepsTheEntries) {
  PageImage page = MakeWhitePage();
  page.SetPaletteSize(2);
  EXPECT_EQ(page.Header().colorsUsed, 2u);
  EXPECT_EQ(page.ColorTable()[15 * 4], 255);
  page.SetColor(255, 0xFF000000u | 0x0000FF);  // the top byte is not a colour
  EXPECT_EQ(page.ColorTable()[255 * 4 + 2], 0xFF);
  EXPECT_EQ(page.ColorTable()[255 * 4 + 3], 0);
}

TEST(PageImageSetUp, BadArgumentsAreErrorsAndChangeNothing) {
  PageImage page = MakeWhitePage();
  EXPECT_THROW(page.SetWidth(0), Error);
  EXPECT_THROW(page.SetWidth(-5), Error);
  EXPECT_THROW(page.SetHeight(0), Error);
  EXPECT_THROW(page.SetPaletteSize(0), Error);
  EXPECT_THROW(page.SetPaletteSize(257), Error);
  EXPECT_THROW(page.SetColor(-1, 0), Error);
  EXPECT_THROW(page.SetColor(256, 0), Error);
  EXPECT_EQ(page.Header().width, 768);
  EXPECT_EQ(page.Header().height, 1024);
  EXPECT_EQ(page.Header().colorsUsed, 16u);
  EXPECT_EQ(page.GetPixel(767, 1023), 15);
}

}  // namespace
}  // namespace tamsolo
