#pragma once

#include <cstdint>
#include <vector>

#include "image/rgb_image.h"

namespace tamsolo {

// The clean-up steps judge a page by its luma alone, with the gray mapping's own weights.
struct LumaPlane {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> values;  // rows top to bottom

  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
  }
  uint8_t At(int x, int y) const { return values[Index(x, y)]; }
  const uint8_t* Row(int y) const { return values.data() + Index(0, y); }
};

// L = (30 R + 59 G + 11 B + 50) div 100 of every pixel; a known gray image reads one channel.
LumaPlane LumaOf(const RgbImage& image);

// Every factor x factor block averaged (rounded) into one value; the last partial blocks dropped.
LumaPlane Reduced(const LumaPlane& plane, int factor);

// How many pixels hold each luma.
std::vector<uint32_t> Histogram(const LumaPlane& plane);

}  // namespace tamsolo
