#pragma once

#include <cstdint>

#include "page/page_image.h"

namespace tamsolo {

// Little-endian serialisation of the two BMP headers, shared by both page writers.
inline constexpr int kBmpFileHeaderSize = 14;
inline constexpr int kBmpInfoHeaderSize = 40;

// "BM", the file size, two zero reserved fields and the offset of the pixel array.
void PutBmpFileHeader(uint8_t* out, uint32_t fileSize, uint32_t pixelOffset);
void PutBmpInfoHeader(uint8_t* out, const BmpInfoHeader& header);

}  // namespace tamsolo
