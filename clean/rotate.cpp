#include "clean/rotate.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tamsolo {
namespace {

// Positions between pixels are taken to 1/kPhases of a pixel; the weights of each are made once.
constexpr int kPhases = 256;

using Weights = std::array<float, 4>;

double Keys(double d) {
  d = std::abs(d);
  if (d < 1)
    return (1.5 * d - 2.5) * d * d + 1;
  if (d < 2)
    return ((-0.5 * d + 2.5) * d - 4) * d + 2;
  return 0;
}

std::array<Weights, kPhases + 1> WeightTable() {
  std::array<Weights, kPhases + 1> table{};
  for (size_t p = 0; p <= kPhases; ++p) {
    const double t = static_cast<double>(p) / kPhases;
    for (size_t k = 0; k < 4; ++k)
      table[p][k] = static_cast<float>(Keys(t + 1 - static_cast<double>(k)));
  }
  return table;
}

struct Source {
  const RgbImage& image;
  int channels;

  // The four pixel offsets of a row (or column) around whole, clamped to the image.
  static std::array<int, 4> Taps(int whole, int size) {
    std::array<int, 4> taps{};
    for (size_t k = 0; k < 4; ++k)
      taps[k] = std::clamp(whole - 1 + static_cast<int>(k), 0, size - 1);
    return taps;
  }

  void Sample(double x, double y, const std::array<Weights, kPhases + 1>& table,
              uint8_t* out) const {
    const double fx = std::floor(x), fy = std::floor(y);
    const Weights& wx = table[static_cast<size_t>(std::lround((x - fx) * kPhases))];
    const Weights& wy = table[static_cast<size_t>(std::lround((y - fy) * kPhases))];
    const std::array<int, 4> cols = Taps(static_cast<int>(fx), image.Width());
    const std::array<int, 4> rows = Taps(static_cast<int>(fy), image.Height());
    for (int ch = 0; ch < channels; ++ch) {
      float sum = 0;
      for (size_t j = 0; j < 4; ++j) {
        const uint8_t* row = image.Row(rows[j]) + ch;
        float across = 0;
        for (size_t i = 0; i < 4; ++i)
          across += wx[i] * row[3 * cols[i]];
        sum += wy[j] * across;
      }
      out[ch] = static_cast<uint8_t>(std::clamp(std::lround(sum), 0L, 255L));
    }
  }
};

}  // namespace

RgbImage Rotated(const RgbImage& image, double degrees) {
  static const std::array<Weights, kPhases + 1> table = WeightTable();
  RgbImage out(image.Width(), image.Height());
  const bool gray = image.KnownGray();
  const Source source{image, gray ? 1 : 3};
  const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
  const double cx = image.Width() / 2.0, cy = image.Height() / 2.0;
  for (int y = 0; y < out.Height(); ++y) {
    uint8_t* row = out.Row(y);
    const double dy = y + 0.5 - cy;
    for (int x = 0; x < out.Width(); ++x) {
      const double dx = x + 0.5 - cx;
      // Pixel centres sit at whole + 0.5, so the sampled point in pixel indices is shifted back.
      uint8_t* pixel = row + 3 * x;
      source.Sample(c * dx - s * dy + cx - 0.5, s * dx + c * dy + cy - 0.5, table, pixel);
      if (gray)
        pixel[1] = pixel[2] = pixel[0];
    }
  }
  out.SetKnownGray(gray);
  return out;
}

}  // namespace tamsolo
