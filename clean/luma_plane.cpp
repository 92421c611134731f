#include "clean/luma_plane.h"

#include <algorithm>

namespace tamsolo {

LumaPlane LumaPlane::Sized(int width, int height) {
  LumaPlane plane{width, height, {}};
  plane.values.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  return plane;
}

LumaPlane LumaOf(const RgbImage& image) {
  LumaPlane plane = LumaPlane::Sized(image.Width(), image.Height());
  const uint8_t* in = image.Data();
  uint8_t* out = plane.values.data();
  const size_t count = plane.values.size();
  if (image.KnownGray()) {
    for (size_t i = 0; i < count; ++i)
      out[i] = in[3 * i];
    return plane;
  }
  // x div 100 as (x * 5243) >> 19, exact below 43,690 (the sum stays under 25,551), so the
  // loop runs in 32-bit lanes.
  for (size_t i = 0; i < count; ++i) {
    const uint32_t sum = 30u * in[3 * i] + 59u * in[3 * i + 1] + 11u * in[3 * i + 2] + 50u;
    out[i] = static_cast<uint8_t>((sum * 5243u) >> 19);
  }
  return plane;
}

LumaPlane Reduced(const LumaPlane& plane, int factor) {
  LumaPlane out = LumaPlane::Sized(plane.width / factor, plane.height / factor);
  const uint32_t count = static_cast<uint32_t>(factor * factor);
  std::vector<uint32_t> sums(static_cast<size_t>(out.width));
  for (int y = 0; y < out.height; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int j = 0; j < factor; ++j) {
      const uint8_t* row = plane.Row(y * factor + j);
      for (int x = 0; x < out.width * factor; ++x)
        sums[static_cast<size_t>(x / factor)] += row[x];
    }
    uint8_t* target = out.Row(y);
    for (int x = 0; x < out.width; ++x)
      target[x] = static_cast<uint8_t>((sums[static_cast<size_t>(x)] + count / 2) / count);
  }
  return out;
}

std::vector<uint32_t> Histogram(const LumaPlane& plane, const ContentBox& box) {
  std::vector<uint32_t> counts(256, 0);
  for (int y = box.top; y < box.bottom; ++y) {
    const uint8_t* row = plane.Row(y);
    for (int x = box.left; x < box.right; ++x)
      ++counts[row[x]];
  }
  return counts;
}

std::vector<uint32_t> Histogram(const LumaPlane& plane) {
  return Histogram(plane, {0, 0, plane.width, plane.height});
}

void WriteGray(const LumaPlane& plane, const ContentBox& box, const std::array<uint8_t, 256>& curve,
               RgbImage& image) {
  image.Reshape(box.Width(), box.Height());
  for (int y = 0; y < box.Height(); ++y) {
    const uint8_t* in = plane.Row(box.top + y) + box.left;
    uint8_t* out = image.Row(y);
    for (int x = 0; x < box.Width(); ++x) {
      const uint8_t v = curve[in[x]];
      out[3 * x] = v;
      out[3 * x + 1] = v;
      out[3 * x + 2] = v;
    }
  }
  image.SetKnownGray(true);
}

}  // namespace tamsolo
