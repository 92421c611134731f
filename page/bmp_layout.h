#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// The one BMP serialiser of both page writers: the file header, the info header exactly as
// given, the first tableBytes of the colour table and the pixel array, little-endian.
std::vector<uint8_t> BmpFileBytes(const BmpInfoHeader& header, const uint8_t* colorTable,
                                  size_t tableBytes, const std::vector<uint8_t>& pixels);

// Writes a file's bytes to path in one piece.
void SaveBmpFile(const std::string& path, const std::vector<uint8_t>& fileBytes);

}  // namespace tamsolo
