#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "clean/box.h"
#include "image/rgb_image.h"
#include "platform/byte_buffer.h"

namespace tamsolo {

// The clean-up works on the page's luma alone, with the gray mapping's own weights: the pages
// it feeds are gray, and one channel is a third of the bytes to turn and search.
struct LumaPlane {
  int width = 0;
  int height = 0;
  ByteBuffer values;  // rows top to bottom; left uninitialised by Sized

  static LumaPlane Sized(int width, int height);
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
  }
  const uint8_t* Row(int y) const { return values.data() + Index(0, y); }
  uint8_t* Row(int y) { return values.data() + Index(0, y); }
};

// L = (30 R + 59 G + 11 B + 50) div 100 of every pixel; a known gray image reads one channel.
LumaPlane LumaOf(const RgbImage& image);

// Every factor x factor block averaged (rounded) into one value; the last partial blocks dropped.
LumaPlane Reduced(const LumaPlane& plane, int factor);

// How many pixels of box hold each luma, on every rowStep-th row from its top.
std::vector<uint32_t> Histogram(const LumaPlane& plane, const ContentBox& box, int rowStep);
std::vector<uint32_t> Histogram(const LumaPlane& plane);

// Maps every luma of box through curve, in place.
void ApplyCurve(LumaPlane& plane, const ContentBox& box, const std::array<uint8_t, 256>& curve);

// Makes image the box of plane as a known gray image: R = G = B. The image's own buffer is
// reused when it is large enough, as it is for a box of the image's plane.
void WriteGray(const LumaPlane& plane, const ContentBox& box, RgbImage& image);

}  // namespace tamsolo
