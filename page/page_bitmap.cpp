#include "page/page_bitmap.h"

#include <cstring>

#include "page/bmp_layout.h"
#include "page/page_image.h"
#include "platform/error.h"
#include "platform/output_file.h"

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
  const uint32_t infoAndTable = kBmpInfoHeaderSize + static_cast<uint32_t>(colorTable_.size());
  const uint32_t pixelOffset = kBmpFileHeaderSize + infoAndTable;
  std::vector<uint8_t> head(pixelOffset);
  PutBmpFileHeader(head.data(), pixelOffset + static_cast<uint32_t>(pixels_.size()), pixelOffset);
  PutBmpInfoHeader(head.data() + kBmpFileHeaderSize, header_);
  std::memcpy(head.data() + kBmpFileHeaderSize + kBmpInfoHeaderSize, colorTable_.data(),
              colorTable_.size());
  head.insert(head.end(), pixels_.begin(), pixels_.end());
  return head;
}

void PageBitmap::SaveToFile(const std::string& path) const {
  const std::vector<uint8_t> bytes = FileBytes();
  OutputFile file(path);
  file.Write(bytes.data(), bytes.size());
}

}  // namespace tamsolo
