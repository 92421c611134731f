#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "image/rgb_image.h"

namespace tamsolo::testing {

using Rgb = std::array<uint8_t, 3>;

// An image whose pixel (x, y) is color(x, y).
RgbImage MakeRgbImage(int width, int height, const std::function<Rgb(int x, int y)>& color);

// The pixel at (x, y) of image.
Rgb PixelAt(const RgbImage& image, int x, int y);

}  // namespace tamsolo::testing
