#include "page/bmp_layout.h"

#include <cstring>

#include "platform/output_file.h"

namespace tamsolo {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

uint8_t* Put16(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  return out + 2;
}

uint8_t* Put32(uint8_t* out, uint32_t value) {
  out = Put16(out, value & 0xFFFF);
  return Put16(out, value >> 16);
}

// "BM", the file size, two zero reserved fields and the offset of the pixel array.
uint8_t* PutFileHeader(uint8_t* out, uint32_t fileSize, uint32_t pixelOffset) {
  out[0] = 'B';
  out[1] = 'M';
  out = Put32(out + 2, fileSize);
  out = Put32(out, 0);  // both reserved fields
  return Put32(out, pixelOffset);
}

uint8_t* PutInfoHeader(uint8_t* out, const BmpInfoHeader& header) {
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
  return Put32(out, header.colorsImportant);
}

}  // namespace

std::vector<uint8_t> BmpFileBytes(const BmpInfoHeader& header, const uint8_t* colorTable,
                                  size_t tableBytes, const std::vector<uint8_t>& pixels) {
  const uint32_t pixelOffset =
      kFileHeaderSize + kInfoHeaderSize + static_cast<uint32_t>(tableBytes);
  std::vector<uint8_t> bytes(pixelOffset);
  uint8_t* out =
      PutFileHeader(bytes.data(), pixelOffset + static_cast<uint32_t>(pixels.size()), pixelOffset);
  out = PutInfoHeader(out, header);
  std::memcpy(out, colorTable, tableBytes);
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return bytes;
}

void SaveBmpFile(const std::string& path, const std::vector<uint8_t>& fileBytes) {
  OutputFile file(path);
  file.Write(fileBytes.data(), fileBytes.size());
}

}  // namespace tamsolo
