#include "page/page_image.h"

#include <algorithm>
#include <cstring>

#include "page/bmp_layout.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

constexpr int kColorTableEntries = 256;

uint64_t StrideFor(int64_t width, int64_t bitCount) {
  return static_cast<uint64_t>((width * bitCount + 31) / 32) * 4;
}

// A new zero-filled pixel array; sized in 64 bits so that no header value can wrap it.
std::vector<uint8_t> ZeroPixels(int32_t width, int32_t height, uint16_t bitCount) {
  const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  const uint64_t bytes = StrideFor(width, bitCount) * static_cast<uint64_t>(rows);
  if (bytes > (uint64_t{1} << 32))
    throw Error("Page image too large");
  return std::vector<uint8_t>(static_cast<size_t>(bytes), 0);
}

}  // namespace

PageImage::PageImage() : colorTable_(kColorTableEntries * 4, 0) {}

int32_t PageImage::Stride() const {
  return static_cast<int32_t>(StrideFor(header_.width, header_.bitCount));
}

int32_t PageImage::Rows() const {
  return header_.height < 0 ? -header_.height : header_.height;
}

size_t PageImage::RowOffset(int32_t y) const {
  // A positive height stores the bottom picture row first.
  const int32_t stored = header_.height > 0 ? header_.height - 1 - y : y;
  return static_cast<size_t>(stored) * static_cast<size_t>(Stride());
}

void PageImage::CheckPosition(int32_t x, int32_t y) const {
  if (x < 0 || x >= header_.width || y < 0 || y >= Rows())
    throw Error("Pixel position (" + std::to_string(x) + ", " + std::to_string(y) +
                ") outside the image");
  if (header_.bitCount != 4)
    throw Error("Pixel access needs a 4-bit image");
}

// A new size drops the old content: pixels zero, every colour black, resolutions back to
// their defaults. The array is built first so that a failed allocation changes nothing.
void PageImage::ReplacePixels(std::vector<uint8_t> pixels) {
  pixels_ = std::move(pixels);
  std::fill(colorTable_.begin(), colorTable_.end(), 0);
  header_.xPelsPerMeter = 3780;
  header_.yPelsPerMeter = 3780;
}

void PageImage::SetWidth(int32_t width) {
  if (width <= 0)
    throw Error("Invalid page width " + std::to_string(width));
  if (width == header_.width)
    return;
  std::vector<uint8_t> pixels = ZeroPixels(width, header_.height, header_.bitCount);
  header_.width = width;
  ReplacePixels(std::move(pixels));
}

void PageImage::SetHeight(int32_t height) {
  if (height == 0)
    throw Error("Invalid page height 0");
  if (height == header_.height)
    return;
  std::vector<uint8_t> pixels = ZeroPixels(header_.width, height, header_.bitCount);
  header_.height = height;
  ReplacePixels(std::move(pixels));
}

// No caller reads pixels across a format change (every pixel is written afterwards), so the
// new array simply starts at index 0.
void PageImage::SetPixelFormat4Bit() {
  if (header_.bitCount == 4 && header_.compression == 0)
    return;
  pixels_ = ZeroPixels(header_.width, header_.height, 4);
  header_.bitCount = 4;
  header_.compression = 0;
  header_.imageSize = 0;
}

void PageImage::SetPaletteSize(int32_t count) {
  if (count < 1 || count > kColorTableEntries)
    throw Error("Invalid palette size " + std::to_string(count));
  if (static_cast<uint32_t>(count) == header_.colorsUsed)
    return;
  header_.colorsUsed = static_cast<uint32_t>(count);
  header_.colorsImportant = 0;
}

void PageImage::SetColor(int32_t index, PackedColor color) {
  if (index < 0 || index >= kColorTableEntries)
    throw Error("Invalid palette index " + std::to_string(index));
  uint8_t* entry = colorTable_.data() + index * 4;
  entry[0] = static_cast<uint8_t>(color >> 16);  // blue
  entry[1] = static_cast<uint8_t>(color >> 8);   // green
  entry[2] = static_cast<uint8_t>(color);        // red
  entry[3] = 0;
}

void PageImage::SetPixel(int32_t x, int32_t y, uint32_t value) {
  CheckPosition(x, y);
  uint8_t& pair = pixels_[RowOffset(y) + static_cast<size_t>(x / 2)];
  const uint8_t nibble = static_cast<uint8_t>(value & 0x0F);
  pair = (x % 2 == 0) ? static_cast<uint8_t>((pair & 0x0F) | (nibble << 4))
                      : static_cast<uint8_t>((pair & 0xF0) | nibble);
}

uint8_t PageImage::GetPixel(int32_t x, int32_t y) const {
  CheckPosition(x, y);
  const uint8_t pair = pixels_[RowOffset(y) + static_cast<size_t>(x / 2)];
  return (x % 2 == 0) ? static_cast<uint8_t>(pair >> 4) : static_cast<uint8_t>(pair & 0x0F);
}

uint8_t* PageImage::PictureRow(int32_t y) {
  return pixels_.data() + RowOffset(y);
}

const uint8_t* PageImage::PictureRow(int32_t y) const {
  return pixels_.data() + RowOffset(y);
}

// The blank page layout: the header record exactly as held (resolutions 3780, image size 0)
// and only the palette-size entries of the colour table.
std::vector<uint8_t> PageImage::FileBytes() const {
  return BmpFileBytes(header_, colorTable_.data(), header_.colorsUsed * size_t{4}, pixels_);
}

void PageImage::SaveToFile(const std::string& path) const {
  SaveBmpFile(path, FileBytes());
}

void SetUpPage(PageImage& page) {
  page.SetWidth(kPageWidth);
  page.SetHeight(kPageHeight);
  page.SetPixelFormat4Bit();
  page.SetPaletteSize(kPagePaletteSize);
  for (int32_t i = 0; i < kPagePaletteSize; ++i)
    page.SetColor(i, static_cast<PackedColor>(i) * 0x111111);
}

PageImage MakeWhitePage() {
  PageImage page;
  SetUpPage(page);
  for (int32_t y = 0; y < kPageHeight; ++y)
    std::memset(page.PictureRow(y), 0xFF, static_cast<size_t>(page.Stride()));
  return page;
}

}  // namespace tamsolo
