#include "preview/preview_render.h"

#include <algorithm>
#include <array>

#include "preview/bitmap_font.h"
#include "image/png_writer.h"

namespace tamsolo {
namespace {

constexpr int kMargin = 24;
constexpr int kGutter = 12;   // between the two pages of a pair
constexpr int kPairGap = 40;  // between pairs, wider so that pairs read as units
constexpr int kPairWidth = 2 * kPreviewPageWidth + kGutter;
constexpr int kTitleScale = 3;
constexpr int kLabelScale = 2;
constexpr int kHeaderHeight = kMargin + kGlyphHeight * (kTitleScale + kLabelScale) + 26;
// Under a page: its number, then its source in small letters.
constexpr int kNumberTop = 6;
constexpr int kSourceTop = kNumberTop + kGlyphHeight * kLabelScale + 4;
constexpr int kLabelHeight = kSourceTop + kGlyphHeight + 4;
constexpr int kRowPitch = kPreviewPageHeight + kLabelHeight + 16;
constexpr int kBarHeight = 10;
constexpr int kBarReach = 12;  // how far a bar reaches into the pages it joins
constexpr int kWidth =
    2 * kMargin + kPreviewPairsPerRow * kPairWidth + (kPreviewPairsPerRow - 1) * kPairGap;

// Where pixel (x, y) of a picture width pixels wide sits; no coordinate here is negative.
size_t At(int x, int y, int width) {
  return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
}

struct Box {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class Canvas {
 public:
  explicit Canvas(PreviewPicture& picture) : p_(picture) {}

  void Fill(const Box& box, uint8_t ink) {
    const int x0 = std::max(0, box.x), x1 = std::min(p_.width, box.x + box.width);
    const int y0 = std::max(0, box.y), y1 = std::min(p_.height, box.y + box.height);
    for (int y = y0; y < y1 && x0 < x1; ++y)
      std::fill(Row(y) + x0, Row(y) + x1, ink);
  }

  void Outline(const Box& box, int thickness, uint8_t ink) {
    Fill({box.x, box.y, box.width, thickness}, ink);
    Fill({box.x, box.y + box.height - thickness, box.width, thickness}, ink);
    Fill({box.x, box.y, thickness, box.height}, ink);
    Fill({box.x + box.width - thickness, box.y, thickness, box.height}, ink);
  }

  void Text(int x, int y, const std::string& text, int scale, uint8_t ink) {
    for (const char c : text) {
      for (int row = 0; row < kGlyphHeight; ++row) {
        const uint8_t bits = GlyphRow(static_cast<unsigned char>(c), row);
        for (int column = 0; column < kGlyphWidth; ++column) {
          if (bits & (0x10 >> column))
            Fill({x + column * scale, y + row * scale, scale, scale}, ink);
        }
      }
      x += kGlyphAdvance * scale;
    }
  }

  void Page(const Box& cell, const ShrunkPage& page) {
    for (int y = 0; y < kPreviewPageHeight; ++y)
      std::copy_n(page.data() + y * kPreviewPageWidth, kPreviewPageWidth, Row(cell.y + y) + cell.x);
  }

 private:
  uint8_t* Row(int y) { return p_.pixels.data() + At(0, y, p_.width); }
  PreviewPicture& p_;
};

int TextWidth(size_t length, int scale) {
  return length == 0 ? 0 : static_cast<int>(length) * kGlyphAdvance * scale - scale;
}

// The text cut to fit width, ending in "..." when cut.
std::string Fitted(const std::string& text, int width, int scale) {
  const size_t fits = static_cast<size_t>((width + scale) / (kGlyphAdvance * scale));
  if (text.size() <= fits)
    return text;
  return text.substr(0, fits >= 3 ? fits - 3 : 0) + "...";
}

// Centred across the box; at y, or centred down it too when y is negative.
void CentredText(Canvas& canvas, const Box& box, int y, const std::string& text, int scale,
                 uint8_t ink) {
  const std::string fitted = Fitted(text, box.width, scale);
  const int x = box.x + (box.width - TextWidth(fitted.size(), scale)) / 2;
  canvas.Text(x, y >= 0 ? y : box.y + (box.height - kGlyphHeight * scale) / 2, fitted, scale, ink);
}

std::string SourceLabel(const BookPage& page) {
  if (!page.HasSource() || page.n == 1)
    return page.source;
  return page.source + " " + std::to_string(page.v) + "/" + std::to_string(page.n);
}

int PairLeft(int column) {
  return kMargin + (kPreviewPairsPerRow - 1 - column) * (kPairWidth + kPairGap);
}

Box Cell(size_t position) {
  const int pair = static_cast<int>(position / 2);
  const int x =
      PairLeft(pair % kPreviewPairsPerRow) + (position % 2 == 0 ? kPreviewPageWidth + kGutter : 0);
  return {x, kHeaderHeight + pair / kPreviewPairsPerRow * kRowPitch, kPreviewPageWidth,
          kPreviewPageHeight};
}

// Page i + 1 continues page i of the same source.
bool Joined(const BookPage& a, const BookPage& b) {
  return a.HasSource() && b.HasSource() && a.source == b.source && b.v == a.v + 1;
}

Box BarBetween(int leftEnd, int rightEnd, const Box& cell) {
  return {leftEnd, cell.y + (cell.height - kBarHeight) / 2, rightEnd - leftEnd, kBarHeight};
}

// Within a pair the bar crosses the gutter. Across two pairs it crosses the gap between them,
// or, when the next pair starts a new row, runs out to the edge on both rows.
void DrawBar(Canvas& canvas, size_t position) {
  const Box from = Cell(position);
  const Box to = Cell(position + 1);
  if (position % 2 == 0) {
    canvas.Fill(BarBetween(to.x + to.width - kBarReach, from.x + kBarReach, from), kInkJoin);
  } else if (to.y == from.y) {
    canvas.Fill(BarBetween(to.x + to.width - kBarReach, from.x + kBarReach, from), kInkSplit);
  } else {
    canvas.Fill(BarBetween(kMargin / 4, from.x + kBarReach, from), kInkSplit);
    canvas.Fill(BarBetween(to.x + to.width - kBarReach, kWidth - kMargin / 4, to), kInkSplit);
  }
}

void DrawHeader(Canvas& canvas, const std::string& title, const std::vector<BookPage>& pages,
                PathStyle style) {
  const size_t blanks = static_cast<size_t>(
      std::count_if(pages.begin(), pages.end(), [](const BookPage& p) { return p.Blank(); }));
  const int width = kWidth - 2 * kMargin;
  canvas.Text(kMargin, kMargin, Fitted(AsciiText(title, style), width, kTitleScale), kTitleScale,
              kInkText);
  std::string count = std::to_string(pages.size()) + " pages, " + std::to_string(blanks) +
                      " blank, " + std::to_string((pages.size() + 1) / 2) +
                      " facing pairs, read from the right";
  if (pages.size() > kPreviewMaxPages)
    count += "; the first " + std::to_string(kPreviewMaxPages) + " drawn";
  canvas.Text(kMargin, kMargin + kGlyphHeight * kTitleScale + 6, Fitted(count, width, kLabelScale),
              kLabelScale, kInkText);
}

void DrawPage(Canvas& canvas, size_t position, const BookPage& page, const PageLoader& load,
              PathStyle style) {
  const Box cell = Cell(position);
  if (page.Blank()) {
    canvas.Fill(cell, 15);
    canvas.Outline(cell, 2, kInkBlankOutline);
    CentredText(canvas, cell, -1, "blank", 3, kInkBlankOutline);
  } else if (const std::optional<ShrunkPage> shrunk = load(position)) {
    canvas.Page(cell, *shrunk);
  } else {
    canvas.Fill(cell, kInkMissing);
    CentredText(canvas, cell, -1, "missing", 3, kInkText);
  }
  const int below = cell.y + cell.height;
  CentredText(canvas, cell, below + kNumberTop, std::to_string(position + 1), kLabelScale,
              kInkText);
  CentredText(canvas, cell, below + kSourceTop, AsciiText(SourceLabel(page), style), 1, kInkText);
}

}  // namespace

namespace {

// The mean gray of a box of the page, as the nearest of the grays 17 x i: i = mean / 17,
// rounded.
uint8_t BoxGray(const RgbImage& page, int64_t x0, int64_t x1, int64_t y0, int64_t y1) {
  int64_t sum = 0;
  for (int64_t sy = y0; sy < y1; ++sy) {
    const uint8_t* in = page.Row(static_cast<int>(sy)) + 3 * x0;
    for (int64_t sx = x0; sx < x1; ++sx, in += 3)
      sum += (in[0] * 299 + in[1] * 587 + in[2] * 114 + 500) / 1000;
  }
  const int64_t count = (y1 - y0) * (x1 - x0);
  return static_cast<uint8_t>((2 * sum + 17 * count) / (34 * count));
}

}  // namespace

// Box edges in 64 bits: a page file may declare 20,000,000 columns, and 191 times that
// overflows an int. A page smaller than the preview in one direction gives the same box
// again and again; each box is summed once, so the cost stays that of the page's pixels.
ShrunkPage ShrinkPage(const RgbImage& page) {
  ShrunkPage shrunk(static_cast<size_t>(kPreviewPageWidth) * kPreviewPageHeight, 15);
  if (page.Empty())
    return shrunk;
  const int64_t width = page.Width(), height = page.Height();
  int64_t lastY0 = -1, lastY1 = -1;
  for (int64_t y = 0; y < kPreviewPageHeight; ++y) {
    const int64_t y0 = y * height / kPreviewPageHeight;
    const int64_t y1 = std::max(y0 + 1, (y + 1) * height / kPreviewPageHeight);
    uint8_t* row = shrunk.data() + At(0, static_cast<int>(y), kPreviewPageWidth);
    if (y0 == lastY0 && y1 == lastY1) {
      std::copy_n(row - kPreviewPageWidth, kPreviewPageWidth, row);
      continue;
    }
    lastY0 = y0;
    lastY1 = y1;
    int64_t lastX0 = -1, lastX1 = -1;
    for (int64_t x = 0; x < kPreviewPageWidth; ++x) {
      const int64_t x0 = x * width / kPreviewPageWidth;
      const int64_t x1 = std::max(x0 + 1, (x + 1) * width / kPreviewPageWidth);
      row[x] = x0 == lastX0 && x1 == lastX1 ? row[x - 1] : BoxGray(page, x0, x1, y0, y1);
      lastX0 = x0;
      lastX1 = x1;
    }
  }
  return shrunk;
}

PreviewPicture RenderPreview(const std::string& title, const std::vector<BookPage>& pages,
                             const PageLoader& load, PathStyle style) {
  const size_t drawn = std::min(pages.size(), kPreviewMaxPages);
  const int pairs = static_cast<int>((drawn + 1) / 2);
  const int rows = std::max(1, (pairs + kPreviewPairsPerRow - 1) / kPreviewPairsPerRow);
  PreviewPicture picture;
  picture.width = kWidth;
  picture.height = kHeaderHeight + rows * kRowPitch + kMargin;
  picture.pixels.assign(At(0, picture.height, picture.width), kInkBackground);
  Canvas canvas(picture);
  DrawHeader(canvas, title, pages, style);
  for (size_t i = 0; i < drawn; ++i)
    DrawPage(canvas, i, pages[i], load, style);
  for (size_t i = 0; i + 1 < drawn; ++i) {
    if (Joined(pages[i], pages[i + 1]))
      DrawBar(canvas, i);
  }
  return picture;
}

std::vector<uint8_t> PreviewPng(const PreviewPicture& picture, const std::function<bool()>& stop) {
  std::vector<uint8_t> palette;
  for (int i = 0; i < 16; ++i)
    palette.insert(palette.end(), 3, static_cast<uint8_t>(17 * i));
  const std::array<std::array<uint8_t, 3>, kPreviewInkCount - 16> inks = {{
      {204, 204, 204},  // background: white paper stands out on it
      {0, 0, 0},        // text
      {110, 110, 110},  // blank outline and label
      {40, 100, 220},   // join
      {220, 40, 30},    // split
      {250, 215, 215},  // missing
  }};
  for (const auto& ink : inks)
    palette.insert(palette.end(), ink.begin(), ink.end());
  // Each row unfiltered: a zero filter byte, then the row's indices.
  const auto width = static_cast<size_t>(picture.width);
  std::vector<uint8_t> rows;
  rows.reserve((width + 1) * static_cast<size_t>(picture.height));
  for (size_t y = 0; y < static_cast<size_t>(picture.height); ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), picture.pixels.begin() + static_cast<ptrdiff_t>(y * width),
                picture.pixels.begin() + static_cast<ptrdiff_t>((y + 1) * width));
  }
  const auto width32 = static_cast<uint32_t>(picture.width);
  const auto height32 = static_cast<uint32_t>(picture.height);
  return PngFileBytes(
      {PngChunkBytes("IHDR", IhdrData(width32, height32, 8, 3)), PngChunkBytes("PLTE", palette),
       PngChunkBytes("IDAT", ZlibCompress(rows, 6, stop)), PngChunkBytes("IEND", {})});
}

}  // namespace tamsolo
