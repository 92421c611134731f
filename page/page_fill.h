#pragma once

#include <cstdint>

#include "page/page_image.h"
#include "page/scaled_width.h"
#include "image/rgb_image.h"

namespace tamsolo {

inline constexpr uint8_t kWhiteIndex = 15;

// The 16-level gray index of one colour: (30 R + 59 G + 11 B + 50) div 1700.
inline uint8_t GrayIndex(uint32_t red, uint32_t green, uint32_t blue) {
  return static_cast<uint8_t>((30 * red + 59 * green + 11 * blue + 50) / 1700);
}

// Writes every pixel of a set-up page (768 x 1024, 4 bits): page column x of rows 0..1007
// shows scaled column firstColumn + x in gray, white where that column is outside the image;
// rows 1008..1023 are white. scaled must be 1008 rows high.
void FillPage(const RgbImage& scaled, int32_t firstColumn, PageImage& page);

}  // namespace tamsolo
