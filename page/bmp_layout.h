#pragma once

#include <cstdint>

namespace tamsolo {

// The fields of the 40-byte BMP info header, in file order.
struct BmpInfoHeader {
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  int32_t xPelsPerMeter = 3780;
  int32_t yPelsPerMeter = 3780;
  uint32_t colorsUsed = 0;
  uint32_t colorsImportant = 0;
};

// Little-endian serialisation of the two BMP headers, shared by both page writers.
inline constexpr int kBmpFileHeaderSize = 14;
inline constexpr int kBmpInfoHeaderSize = 40;

// "BM", the file size, two zero reserved fields and the offset of the pixel array.
void PutBmpFileHeader(uint8_t* out, uint32_t fileSize, uint32_t pixelOffset);
void PutBmpInfoHeader(uint8_t* out, const BmpInfoHeader& header);

}  // namespace tamsolo
