#pragma once

#include <cstdint>
#include <vector>

#include "image/rgb_image.h"

namespace tamsolo::testing {

// A still WebP of image through libwebp's encoder: lossless with exact colours, or lossy at
// quality.
std::vector<uint8_t> EncodeWebp(const RgbImage& image, bool lossless, float quality = 90);

// A lossless RGBA WebP whose alpha is 0 wherever the red is below alphaBelowRed, keeping the
// stored colours under it (exact).
std::vector<uint8_t> EncodeWebpWithAlpha(const RgbImage& image, uint8_t alphaBelowRed);

// An animation on a canvasWidth x canvasHeight canvas: each frame lossless at its offset
// (even), blended or not, written chunk by chunk.
struct WebpFrame {
  const RgbImage* image = nullptr;
  int x = 0;
  int y = 0;
  bool blend = true;
};
std::vector<uint8_t> EncodeAnimatedWebp(int canvasWidth, int canvasHeight,
                                        const std::vector<WebpFrame>& frames);

}  // namespace tamsolo::testing
