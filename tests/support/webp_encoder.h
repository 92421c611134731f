#pragma once

#include <cstdint>
#include <vector>

#include "image/rgb_image.h"

namespace tamsolo::testing {

// A still WebP of image through libwebp's encoder, exact: lossless or lossy at quality. With
// alphaBelowRed, alpha is 0 where red is below it, the colours under it kept.
std::vector<uint8_t> EncodeWebp(const RgbImage& image, bool lossless, float quality = 90,
                                int alphaBelowRed = 0);

// An animation written chunk by chunk: lossless frames at even offsets, blended or not.
struct WebpFrame {
  const RgbImage* image;
  int x, y;
  bool blend = true;
};
std::vector<uint8_t> EncodeAnimatedWebp(int width, int height,
                                        const std::vector<WebpFrame>& frames);

}  // namespace tamsolo::testing
