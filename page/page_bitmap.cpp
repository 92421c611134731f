#include "page/page_bitmap.h"

#include "page/bmp_layout.h"
#include "page/page_image.h"
#include "platform/error.h"

namespace tamsolo {

void PageBitmap::Assign(const PageImage& page) {
  const BmpInfoHeader& source = page.Header();
  if (source.bitCount != 4 || page.PixelArray().empty())
    throw Error("Only a set-up 4-bit page can be copied");
  // The page layout's own header values: image size filled in, no resolution.
  BmpInfoHeader header;
  header.width = source.width;
  header.height = source.height;
  header.bitCount = 4;
  header.compression = 0;
  header.imageSize = static_cast<uint32_t>(page.PixelArray().size());
  header.xPelsPerMeter = 0;
  header.yPelsPerMeter = 0;
  header.colorsUsed = kPagePaletteSize;
  header.colorsImportant = 0;
  const auto& table = page.ColorTable();
  pixels_.assign(page.PixelArray().begin(), page.PixelArray().end());
  colorTable_.assign(table.begin(), table.begin() + kPagePaletteSize * 4);
  header_ = header;
}

std::vector<uint8_t> PageBitmap::FileBytes() const {
  if (header_.bitCount == 0)
    throw Error("The page copy holds no page");
  return BmpFileBytes(header_, colorTable_.data(), colorTable_.size(), pixels_);
}

void PageBitmap::SaveToFile(const std::string& path) const {
  SaveBmpFile(path, FileBytes());
}

}  // namespace tamsolo
