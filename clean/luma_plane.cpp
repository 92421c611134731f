#include "clean/luma_plane.h"

#include <algorithm>

#include "platform/cpu_features.h"

namespace tamsolo {
namespace {

// The interleaved three-byte loads and stores vectorise only with byte shuffles (SSSE3 and
// later); each loop is compiled once more for AVX2 and chosen at run time.
// x div 100 is ((x * 5243) >> 16) >> 3, exact for every x up to 25,550, the largest sum: a
// 16-bit high multiply.
[[gnu::always_inline]] inline void LumaRunBody(const uint8_t* rgb, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) {
    const auto sum =
        static_cast<uint16_t>(30 * rgb[3 * i] + 59 * rgb[3 * i + 1] + 11 * rgb[3 * i + 2] + 50);
    const auto high = static_cast<uint16_t>((uint32_t{sum} * 5243u) >> 16);
    out[i] = static_cast<uint8_t>(high >> 3);
  }
}

[[gnu::always_inline]] inline void GrayRowBody(const uint8_t* in, int count, uint8_t* rgb) {
  for (int x = 0; x < count; ++x) {
    const uint8_t v = in[x];
    rgb[3 * x] = v;
    rgb[3 * x + 1] = v;
    rgb[3 * x + 2] = v;
  }
}

void LumaRunPlain(const uint8_t* rgb, size_t count, uint8_t* out) {
  LumaRunBody(rgb, count, out);
}
[[gnu::target("avx2")]] void LumaRunAvx2(const uint8_t* rgb, size_t count, uint8_t* out) {
  LumaRunBody(rgb, count, out);
}
void GrayRowPlain(const uint8_t* in, int count, uint8_t* rgb) {
  GrayRowBody(in, count, rgb);
}
[[gnu::target("avx2")]] void GrayRowAvx2(const uint8_t* in, int count, uint8_t* rgb) {
  GrayRowBody(in, count, rgb);
}

}  // namespace

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
  (Avx2Available() ? LumaRunAvx2 : LumaRunPlain)(in, count, out);
  return plane;
}

LumaPlane Reduced(const LumaPlane& plane, int factor) {
  LumaPlane out = LumaPlane::Sized(plane.width / factor, plane.height / factor);
  const uint32_t count = static_cast<uint32_t>(factor * factor);
  const int used = out.width * factor;
  // The block's rows are summed down first, in loops over whole rows, then across.
  std::vector<uint32_t> sums(static_cast<size_t>(used));
  for (int y = 0; y < out.height; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int j = 0; j < factor; ++j) {
      const uint8_t* row = plane.Row(y * factor + j);
      for (int x = 0; x < used; ++x)
        sums[static_cast<size_t>(x)] += row[x];
    }
    uint8_t* target = out.Row(y);
    for (int x = 0; x < out.width; ++x) {
      uint32_t sum = count / 2;
      for (int k = 0; k < factor; ++k)
        sum += sums[static_cast<size_t>(x * factor + k)];
      target[x] = static_cast<uint8_t>(sum / count);
    }
  }
  return out;
}

std::vector<uint32_t> Histogram(const LumaPlane& plane, const ContentBox& box, int rowStep) {
  std::vector<uint32_t> counts(256, 0);
  for (int y = box.top; y < box.bottom; y += rowStep) {
    const uint8_t* row = plane.Row(y);
    for (int x = box.left; x < box.right; ++x)
      ++counts[row[x]];
  }
  return counts;
}

std::vector<uint32_t> Histogram(const LumaPlane& plane) {
  return Histogram(plane, {0, 0, plane.width, plane.height}, 1);
}

void ApplyCurve(LumaPlane& plane, const ContentBox& box, const std::array<uint8_t, 256>& curve) {
  for (int y = box.top; y < box.bottom; ++y) {
    uint8_t* row = plane.Row(y);
    for (int x = box.left; x < box.right; ++x)
      row[x] = curve[row[x]];
  }
}

void WriteGray(const LumaPlane& plane, const ContentBox& box, RgbImage& image) {
  image.Reshape(box.Width(), box.Height());
  const auto row = Avx2Available() ? GrayRowAvx2 : GrayRowPlain;
  for (int y = 0; y < box.Height(); ++y)
    row(plane.Row(box.top + y) + box.left, box.Width(), image.Row(y));
  image.SetKnownGray(true);
}

}  // namespace tamsolo
