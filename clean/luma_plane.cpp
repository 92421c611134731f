#include "clean/luma_plane.h"

namespace tamsolo {

LumaPlane LumaOf(const RgbImage& image) {
  LumaPlane plane{image.Width(), image.Height(), {}};
  plane.values.resize(static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height()));
  const uint8_t* in = image.Data();
  if (image.KnownGray()) {
    for (size_t i = 0; i < plane.values.size(); ++i)
      plane.values[i] = in[3 * i];
    return plane;
  }
  for (size_t i = 0; i < plane.values.size(); ++i) {
    const uint32_t sum = 30u * in[3 * i] + 59u * in[3 * i + 1] + 11u * in[3 * i + 2] + 50u;
    plane.values[i] = static_cast<uint8_t>(sum / 100);
  }
  return plane;
}

LumaPlane Reduced(const LumaPlane& plane, int factor) {
  LumaPlane out{plane.width / factor, plane.height / factor, {}};
  out.values.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  const uint32_t count = static_cast<uint32_t>(factor * factor);
  std::vector<uint32_t> sums(static_cast<size_t>(out.width));
  for (int y = 0; y < out.height; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int j = 0; j < factor; ++j) {
      const uint8_t* row = plane.Row(y * factor + j);
      for (int x = 0; x < out.width * factor; ++x)
        sums[static_cast<size_t>(x / factor)] += row[x];
    }
    for (int x = 0; x < out.width; ++x)
      out.values[static_cast<size_t>(y) * static_cast<size_t>(out.width) + static_cast<size_t>(x)] =
          static_cast<uint8_t>((sums[static_cast<size_t>(x)] + count / 2) / count);
  }
  return out;
}

std::vector<uint32_t> Histogram(const LumaPlane& plane) {
  std::vector<uint32_t> counts(256, 0);
  for (const uint8_t v : plane.values)
    ++counts[v];
  return counts;
}

}  // namespace tamsolo
