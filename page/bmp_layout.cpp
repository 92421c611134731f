#include "page/bmp_layout.h"

namespace tamsolo {
namespace {

uint8_t* Put16(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  return out + 2;
}

uint8_t* Put32(uint8_t* out, uint32_t value) {
  out = Put16(out, value & 0xFFFF);
  return Put16(out, value >> 16);
}

}  // namespace

void PutBmpFileHeader(uint8_t* out, uint32_t fileSize, uint32_t pixelOffset) {
  out[0] = 'B';
  out[1] = 'M';
  out = Put32(out + 2, fileSize);
  out = Put32(out, 0);  // both reserved fields
  Put32(out, pixelOffset);
}

void PutBmpInfoHeader(uint8_t* out, const BmpInfoHeader& header) {
  out = Put32(out, header.size);
  out = Put32(out, static_cast<uint32_t>(header.width));
  out = Put32(out, static_cast<uint32_t>(header.height));
  out = Put16(out, header.planes);
  out = Put16(out, header.bitCount);
  out = Put32(out, header.compression);
  out = Put32(out, header.imageSize);
  out = Put32(out, static_cast<uint32_t>(header.xPelsPerMeter));
  out = Put32(out, static_cast<uint32_t>(header.yPelsPerMeter));
  out = Put32(out, header.colorsUsed);
  Put32(out, header.colorsImportant);
}

}  // namespace tamsolo
