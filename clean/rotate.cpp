#include "clean/rotate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace tamsolo {
namespace {

// Weights in fixed point, so the loops are integer arithmetic the compiler vectorises.
constexpr int kWeightBits = 12;
using Weights = std::array<int32_t, 4>;

double Keys(double d) {
  d = std::abs(d);
  if (d < 1)
    return (1.5 * d - 2.5) * d * d + 1;
  if (d < 2)
    return ((-0.5 * d + 2.5) * d - 4) * d + 2;
  return 0;
}

// Where a shifted line samples: its taps start at whole - 1 and take the four weights.
struct Shift {
  int whole;
  Weights weights;
};

Shift ShiftOf(double offset) {
  const double whole = std::floor(offset);
  const double t = offset - whole;
  Shift shift{static_cast<int>(whole), {}};
  for (size_t k = 0; k < 4; ++k)
    shift.weights[k] = static_cast<int32_t>(
        std::lround(Keys(t + 1 - static_cast<double>(k)) * (1 << kWeightBits)));
  return shift;
}

// A weighted sum back to a byte: rounded, then clamped.
uint8_t ToByte(int32_t sum) {
  sum = (sum + (1 << (kWeightBits - 1))) >> kWeightBits;
  sum = sum > 0 ? sum : 0;
  return static_cast<uint8_t>(sum < 255 ? sum : 255);
}

// Shifts every row by amount * (its centre's distance from the image's centre) pixels, in place.
void ShearAcross(RgbImage& image, double amount) {
  const int width = image.Width();
  // The row padded by two pixels either side, repeating its end pixels.
  std::vector<uint8_t> padded(static_cast<size_t>(width + 4) * 3);
  const double centre = image.Height() / 2.0;
  for (int y = 0; y < image.Height(); ++y) {
    const Shift shift = ShiftOf(amount * (y + 0.5 - centre));
    if (shift.whole == 0 && shift.weights[1] == 1 << kWeightBits)
      continue;
    uint8_t* row = image.Row(y);
    for (int x = -2; x < width + 2; ++x) {
      const int from = std::clamp(x + shift.whole, 0, width - 1);
      for (size_t c = 0; c < 3; ++c)
        padded[static_cast<size_t>(x + 2) * 3 + c] = row[static_cast<size_t>(from) * 3 + c];
    }
    // Output x reads source x + whole - 1 .. x + whole + 2, padded at x + 1 .. x + 4 after the
    // shift by whole was folded into the padding.
    const Weights& w = shift.weights;
    for (size_t i = 0; i < static_cast<size_t>(width) * 3; ++i)
      row[i] = ToByte(w[0] * padded[i + 3] + w[1] * padded[i + 6] + w[2] * padded[i + 9] +
                      w[3] * padded[i + 12]);
  }
}

// Shifts every column by amount * (its centre's distance from the image's centre) pixels. The
// columns fall into runs that read the same four rows; each run is one loop over its bytes with
// each byte's weights laid out beside it.
void ShearDown(const RgbImage& in, RgbImage& out, double amount) {
  const int width = in.Width(), height = in.Height();
  const double centre = width / 2.0;
  const size_t bytes = static_cast<size_t>(width) * 3;
  std::array<std::vector<int32_t>, 4> weights;
  for (std::vector<int32_t>& w : weights)
    w.resize(bytes);
  struct Run {
    size_t from, to;  // bytes of the row
    int whole;
  };
  std::vector<Run> runs;
  for (int x = 0; x < width; ++x) {
    const Shift shift = ShiftOf(amount * (x + 0.5 - centre));
    const size_t at = static_cast<size_t>(x) * 3;
    for (size_t k = 0; k < 4; ++k)
      std::fill_n(weights[k].begin() + static_cast<std::ptrdiff_t>(at), 3, shift.weights[k]);
    if (runs.empty() || runs.back().whole != shift.whole)
      runs.push_back({at, at, shift.whole});
    runs.back().to = at + 3;
  }
  for (int y = 0; y < height; ++y) {
    uint8_t* row = out.Row(y);
    for (const Run& run : runs) {
      std::array<const uint8_t*, 4> source{};
      for (size_t k = 0; k < 4; ++k)
        source[k] = in.Row(std::clamp(y + run.whole - 1 + static_cast<int>(k), 0, height - 1));
      for (size_t i = run.from; i < run.to; ++i)
        row[i] = ToByte(weights[0][i] * source[0][i] + weights[1][i] * source[1][i] +
                        weights[2][i] * source[2][i] + weights[3][i] * source[3][i]);
    }
  }
}

}  // namespace

RgbImage Rotated(RgbImage image, double degrees) {
  if (degrees == 0 || image.Empty())
    return image;
  const bool gray = image.KnownGray();
  // R(a) = across(-tan(a/2)) down(sin a) across(-tan(a/2)); sampling the result at s reads
  // the input at R(a) s, so the shear applied to the input first is the rightmost one.
  const double a = degrees * std::numbers::pi / 180;
  const double across = -std::tan(a / 2), down = std::sin(a);
  ShearAcross(image, across);
  RgbImage sheared(image.Width(), image.Height());
  ShearDown(image, sheared, down);
  image = RgbImage();
  ShearAcross(sheared, across);
  sheared.SetKnownGray(gray);
  return sheared;
}

}  // namespace tamsolo
