#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "preview/bitmap_font.h"
#include "preview/book_preview.h"
#include "preview/preview_render.h"
#include "support/forwarding_file_system.h"
#include "support/png_reader.h"
#include "support/rgb_image_maker.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

using testing::PngSamples;

struct Box {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x1 and y1 just past the box
  int Width() const { return x1 - x0; }
  int Height() const { return y1 - y0; }
  int MiddleY() const { return (y0 + y1) / 2; }
};

Box BoundsOf(const PngSamples& png, uint8_t ink) {
  Box box{INT32_MAX, INT32_MAX, -1, -1};
  for (uint32_t y = 0; y < png.height; ++y) {
    for (uint32_t x = 0; x < png.width; ++x) {
      if (png.At(x, y) == ink) {
        box = {std::min<int>(box.x0, x), std::min<int>(box.y0, y), std::max<int>(box.x1, x + 1),
               std::max<int>(box.y1, y + 1)};
      }
    }
  }
  return box;
}

// How many pixels of the row y, from x0 up to x1, have the ink.
int InkInRow(const PngSamples& png, int y, int x0, int x1, uint8_t ink) {
  int count = 0;
  for (int x = std::max(0, x0); x < std::min<int>(x1, png.width); ++x)
    count += png.At(x, y) == ink;
  return count;
}

BookPage Page(const char* source, int v, int n) {
  return {"p.bmp", source, v, n, false};
}

BookPage Blank(const char* name) {
  return {name, "", 0, 0, true};
}

TEST(AsciiText, OneQuestionMarkPerCharacterOutsideAscii) {
  EXPECT_EQ(AsciiText("Vol \xE5\xB7\xBB 1\t", PathStyle::Posix), "Vol ? 1?");
  // 表 is 0x95 0x5C: its trail byte is a backslash in ASCII.
  EXPECT_EQ(AsciiText("\x95\x5C\x83\x41x", PathStyle::Windows), "??x");
}

// Ten positions: a blank, a page whose file is missing, a two-page spread in one pair, a
// blank, a four-page spread over three pairs and two rows, and a source named like a blank.
class PreviewGeometry : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<BookPage> pages = {
        Blank("PGXblnk1.bmp"), Page("a.jpg", 1, 1),       Page("b.jpg", 1, 2), Page("b.jpg", 2, 2),
        Blank("PGXblnk2.bmp"), Page("c.png", 1, 4),       Page("c.png", 2, 4), Page("c.png", 3, 4),
        Page("c.png", 4, 4),   Page("PGXblnk1.jpg", 1, 1)};
    // Each page is flat in the gray of its position, so every cell says which page it holds.
    const auto load = [](size_t position) -> std::optional<ShrunkPage> {
      if (position == 1)
        return std::nullopt;
      return ShrunkPage(kPreviewPageWidth * kPreviewPageHeight, static_cast<uint8_t>(position));
    };
    const std::vector<uint8_t> file =
        PreviewPng(RenderPreview("Vol. 1 \xE5\xB7\xBB", pages, load, PathStyle::Posix));
    std::ofstream("preview_render_test.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    png_ = testing::ReadPngSamples(file);
    for (size_t i = 0; i < pages.size(); ++i)
      cells_.push_back(pages[i].Blank() ? Box{}
                                        : BoundsOf(png_, i == 1 ? uint8_t{kInkMissing}
                                                                : static_cast<uint8_t>(i)));
    // A blank cell is its pair partner's cell moved by the partner's distance to its own
    // pair, so it is found from the pages around it.
    cells_[0] = Shifted(cells_[1], cells_[2].x1 - cells_[3].x1);
    cells_[4] = Shifted(cells_[5], cells_[2].x1 - cells_[3].x1);
  }

  static Box Shifted(const Box& box, int dx) { return {box.x0 + dx, box.y0, box.x1 + dx, box.y1}; }

  // Bar pixels of ink on the middle row of a cell, between two x positions.
  int Bar(int y, int x0, int x1, uint8_t ink) const { return InkInRow(png_, y, x0, x1, ink); }

  PngSamples png_;
  std::vector<Box> cells_;
};

TEST_F(PreviewGeometry, PagesSitInTheirPairsFromRightToLeft) {
  ASSERT_EQ(png_.colorType, 3);
  for (int i = 0; i < 16; ++i) {  // the page files' own 16 grays
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(png_.palette.at(3 * i + c), 17 * i);
  }
  for (size_t i = 0; i < cells_.size(); ++i) {
    EXPECT_EQ(cells_[i].Width(), 192) << i;
    EXPECT_EQ(cells_[i].Height(), 256) << i;
  }
  for (size_t k = 0; k < 5; ++k) {  // in each pair the first page is on the right
    const Box& right = cells_[2 * k];
    const Box& left = cells_[2 * k + 1];
    EXPECT_EQ(right.y0, left.y0);
    EXPECT_GT(right.x0, left.x1) << k;
    EXPECT_LT(right.x0 - left.x1, 20) << k;  // a gutter, narrower than between pairs
  }
  for (size_t k = 0; k + 1 < 4; ++k) {  // the first row, pair 0 at its right end
    EXPECT_EQ(cells_[2 * k].y0, cells_[0].y0);
    EXPECT_GT(cells_[2 * k + 1].x0 - cells_[2 * k + 2].x1, 20);
  }
  EXPECT_EQ(cells_[0].x1 + 24, static_cast<int>(png_.width));
  EXPECT_GT(cells_[8].y0, cells_[0].y1);  // pair 4 starts the second row, on the right
  EXPECT_EQ(cells_[8].x0, cells_[0].x0);
  EXPECT_GT(BoundsOf(png_, kInkText).y0, 0);
  EXPECT_LT(BoundsOf(png_, kInkText).y0, cells_[0].y0);  // the title above the pages
}

TEST_F(PreviewGeometry, BlanksAreOutlinedAndEveryPageIsNumbered) {
  for (const size_t blank : {0u, 4u}) {
    const Box& cell = cells_[blank];
    EXPECT_EQ(png_.At(cell.x0, cell.y0), kInkBlankOutline);
    EXPECT_EQ(png_.At(cell.x1 - 1, cell.y1 - 1), kInkBlankOutline);
    EXPECT_EQ(png_.At(cell.x0 + 10, cell.y0 + 10), 15);  // white paper
    EXPECT_GT(Bar(cell.MiddleY(), cell.x0 + 10, cell.x1 - 10, kInkBlankOutline), 10);  // "blank"
  }
  // A source named like a blank page is drawn as the page it is.
  EXPECT_EQ(png_.At(cells_[9].x0, cells_[9].y0), 9);
  for (const Box& cell : cells_) {
    int ink = 0;
    for (int y = cell.y1; y < cell.y1 + 20; ++y)
      ink += InkInRow(png_, y, cell.x0, cell.x1, kInkText);
    EXPECT_GT(ink, 0) << "no number under the cell at " << cell.x0 << "," << cell.y0;
  }
}

TEST_F(PreviewGeometry, BarsJoinTheCutsOfOneSourceAndSplitsStandOut) {
  const auto between = [&](size_t first, uint8_t ink) {  // first on the right of first + 1
    const Box& a = cells_[first];
    const Box& b = cells_[first + 1];
    return Bar(a.MiddleY(), b.x1, a.x0, ink);
  };
  EXPECT_EQ(between(2, kInkJoin), cells_[2].x0 - cells_[3].x1);  // across the whole gutter
  EXPECT_EQ(between(6, kInkJoin), cells_[6].x0 - cells_[7].x1);
  EXPECT_EQ(between(5, kInkSplit), cells_[5].x0 - cells_[6].x1);  // across the gap of pairs
  for (const size_t unjoined : {0u, 1u, 3u, 4u}) {
    EXPECT_EQ(between(unjoined, kInkJoin) + between(unjoined, kInkSplit), 0) << unjoined;
  }
  const Box& row0 = cells_[7];  // c 3/4 ends row 0 on the left, c 4/4 starts row 1
  const Box& row1 = cells_[8];
  EXPECT_GT(Bar(row0.MiddleY(), 0, row0.x0, kInkSplit), 10);
  EXPECT_GT(Bar(row1.MiddleY(), row1.x1, static_cast<int>(png_.width), kInkSplit), 10);
  EXPECT_EQ(Bar(row1.MiddleY(), 0, row1.x0, kInkJoin) + Bar(row1.MiddleY(), 0, row1.x0, kInkSplit),
            0);                                          // c 4/4 and the next source are not joined
  EXPECT_LT(BoundsOf(png_, kInkJoin).y1, cells_[8].y0);  // no join bar on the second row
}

TEST(ShrinkPage, BoxesOfFourByFourAverageToTheNearestGray) {
  // Columns alternate 0 and 17 x 15; rows 0-3 of each box are gray 17 x 4 on the left half.
  const RgbImage page = testing::MakeRgbImage(768, 1024, [](int x, int y) {
    const uint8_t v = x < 384 && y % 8 < 4 ? 68 : x % 2 ? 255 : 0;
    return testing::Rgb{v, v, v};
  });
  const ShrunkPage shrunk = ShrinkPage(page);
  ASSERT_EQ(shrunk.size(), 192u * 256u);
  EXPECT_EQ(shrunk[0], 4);            // a whole box of gray 4
  EXPECT_EQ(shrunk[192 * 1 + 0], 8);  // mean 127.5 is 7.5 grays: rounds up
  EXPECT_EQ(shrunk[192 + 191], 8);    // the right half is striped everywhere
  // Page files declaring millions of rows or columns: box edges beyond an int.
  for (const auto& [width, height] : {std::pair{1, 9'000'000}, std::pair{20'000'000, 1}}) {
    RgbImage odd(width, height);
    std::memset(odd.Data(), 255, odd.ByteSize());
    EXPECT_EQ(ShrinkPage(odd)[192 * 255 + 191], 15) << width << " x " << height;
  }
}

// A book.txt of many lines whose page files are all gone: the picture stops at the cap, and
// the folder is listed once, not once per missing page.
TEST(BookPreview, ALongBookIsDrawnUpToTheCapAndItsFolderListedOnce) {
  struct CountingFiles : testing::ForwardingFileSystem {
    std::vector<Entry> ReadFolder(const std::string& path) override {
      ++reads;
      return native_->ReadFolder(path);
    }
    int reads = 0;
  } files;
  testing::TempFolder temp;
  const std::vector<BookPage> pages(3 * kPreviewMaxPages, BookPage{"p.bmp", "p.jpg", 1, 1, false});
  const std::vector<MissingPage> missing =
      WriteBookPreview(files, temp.Path().string(), "long", pages, temp.File("p.png"),
                       NativePathStyle(), FileSystem::Create::New);
  EXPECT_EQ(missing.size(), kPreviewMaxPages);
  EXPECT_EQ(files.reads, 1);
  const std::vector<BookPage> capped(pages.begin(), pages.begin() + kPreviewMaxPages);
  const PreviewPicture whole = RenderPreview(
      "long", capped, [](size_t) { return std::nullopt; }, NativePathStyle());
  std::ifstream png(temp.File("p.png"), std::ios::binary);
  uint8_t ihdr[24] = {};  // the signature, then IHDR's length, type, width and height
  png.read(reinterpret_cast<char*>(ihdr), sizeof ihdr);
  EXPECT_EQ(ihdr[20] << 24 | ihdr[21] << 16 | ihdr[22] << 8 | ihdr[23], whole.height);
}

}  // namespace
}  // namespace tamsolo
