#include "support/bmp_writer.h"

#include <algorithm>

namespace tamsolo::testing {
namespace {

constexpr uint32_t kPixelsPerMeter = 2835;  // 72 dots per inch

class ByteWriter {
 public:
  ByteWriter& U8(uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  ByteWriter& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
  ByteWriter& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  ByteWriter& Zeros(size_t count) {
    bytes_.resize(bytes_.size() + count);
    return *this;
  }
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

void WriteInfoHeader(ByteWriter& out, const BmpFields& f) {
  if (f.headerSize == 12) {
    out.U32(12).U16(f.width).U16(f.height).U16(f.planes).U16(f.bitCount);
    return;
  }
  out.U32(f.headerSize).U32(f.width).U32(f.height).U16(f.planes).U16(f.bitCount);
  out.U32(f.compression).U32(f.imageSize).U32(kPixelsPerMeter).U32(kPixelsPerMeter);
  out.U32(f.colorsUsed).U32(0);
  size_t written = 40;
  if (f.masks && f.headerSize >= 52) {
    for (uint32_t mask : *f.masks)
      out.U32(mask);
    written = 52;
  }
  if (f.headerSize > written)  // a smaller size field lies; the 40 bytes are written anyway
    out.Zeros(f.headerSize - written);
  if (f.masks && f.headerSize < 52) {
    for (uint32_t mask : *f.masks)
      out.U32(mask);
  }
}

}  // namespace

std::vector<uint8_t> WriteBmp(const BmpFields& f) {
  ByteWriter out;
  const size_t entrySize = f.headerSize == 12 ? 3 : 4;
  const size_t masksAfter = f.masks && f.headerSize < 52 ? 12 : 0;
  const size_t headerBytes = f.headerSize == 12 ? 12 : std::max<size_t>(f.headerSize, 40);
  const size_t pixelsAt = 14 + headerBytes + masksAfter + f.palette.size() * entrySize;
  const uint32_t offset = f.pixelOffset.value_or(static_cast<uint32_t>(pixelsAt));
  const size_t fileSize = pixelsAt + f.pixels.size();
  out.U8('B').U8('M').U32(static_cast<uint32_t>(fileSize)).U32(0).U32(offset);
  WriteInfoHeader(out, f);
  for (const Rgb& c : f.palette) {
    out.U8(c[2]).U8(c[1]).U8(c[0]);
    if (entrySize == 4)
      out.U8(0);
  }
  out.Bytes().insert(out.Bytes().end(), f.pixels.begin(), f.pixels.end());
  return out.Bytes();
}

std::vector<uint8_t> PadRows(const std::vector<std::vector<uint8_t>>& rows) {
  std::vector<uint8_t> bytes;
  for (const auto& row : rows) {
    bytes.insert(bytes.end(), row.begin(), row.end());
    bytes.resize(bytes.size() + (4 - row.size() % 4) % 4);
  }
  return bytes;
}

}  // namespace tamsolo::testing
