#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <random>

#include "image/rgb_image.h"

namespace tamsolo::testing {

using Rgb = std::array<uint8_t, 3>;

// An image whose pixel (x, y) is color(x, y).
RgbImage MakeRgbImage(int width, int height, const std::function<Rgb(int x, int y)>& color);
// An image whose channel c (0 red, 1 green, 2 blue) of pixel (x, y) is sample(x, y, c),
// asked in row order, then pixel, then channel.
RgbImage MakeRgbImage(int width, int height,
                      const std::function<uint8_t(int x, int y, int c)>& sample);

// Random bytes, or (chosen at random too) mostly hard 0/255 edges, so that scaled results
// overshoot and get clamped.
RgbImage RandomImage(int width, int height, std::mt19937& random);

// Same size and the same bytes.
bool SameImage(const RgbImage& a, const RgbImage& b);

// The pixel at (x, y) of image.
Rgb PixelAt(const RgbImage& image, int x, int y);

}  // namespace tamsolo::testing
