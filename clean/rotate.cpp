#include "clean/rotate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/cpu_features.h"

namespace tamsolo {
namespace {

// Weights in fixed point, so the loops are integer arithmetic the compiler vectorises.
constexpr int kWeightBits = 12;
using Weights = std::array<int16_t, 4>;

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

  bool None() const { return whole == 0 && weights[1] == 1 << kWeightBits; }
};

Shift ShiftOf(double offset) {
  const double whole = std::floor(offset);
  const double t = offset - whole;
  Shift shift{static_cast<int>(whole), {}};
  for (size_t k = 0; k < 4; ++k)
    shift.weights[k] = static_cast<int16_t>(
        std::lround(Keys(t + 1 - static_cast<double>(k)) * (1 << kWeightBits)));
  return shift;
}

// A weighted sum back to a byte: rounded, then clamped.
[[gnu::always_inline]] inline uint8_t ToByte(int32_t sum) {
  sum = (sum + (1 << (kWeightBits - 1))) >> kWeightBits;
  sum = sum > 0 ? sum : 0;
  return static_cast<uint8_t>(sum < 255 ? sum : 255);
}

// The two inner loops, with pixels and weights in 16 bits so that the products map onto
// multiply-add instructions. Before AVX2 the 32-bit lanes halve the width, so each loop is
// compiled once more for AVX2 and chosen at run time.
[[gnu::always_inline]] inline void ShiftRowBody(const uint8_t* padded, int width, const int16_t* w,
                                                uint8_t* row) {
  const int16_t w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3];
  for (int x = 0; x < width; ++x)
    row[x] = ToByte(w0 * int16_t{padded[x]} + w1 * int16_t{padded[x + 1]} +
                    w2 * int16_t{padded[x + 2]} + w3 * int16_t{padded[x + 3]});
}

struct ColumnTaps {
  const uint8_t* source[4];  // the four rows read
  const int16_t* weight[4];  // each column's weights for them
};

[[gnu::always_inline]] inline void ShiftColumnsBody(const ColumnTaps& taps, int from, int to,
                                                    uint8_t* row) {
  const uint8_t *s0 = taps.source[0], *s1 = taps.source[1], *s2 = taps.source[2],
                *s3 = taps.source[3];
  const int16_t *w0 = taps.weight[0], *w1 = taps.weight[1], *w2 = taps.weight[2],
                *w3 = taps.weight[3];
  for (int x = from; x < to; ++x)
    row[x] = ToByte(w0[x] * int16_t{s0[x]} + w1[x] * int16_t{s1[x]} + w2[x] * int16_t{s2[x]} +
                    w3[x] * int16_t{s3[x]});
}

void ShiftRowPlain(const uint8_t* padded, int width, const int16_t* w, uint8_t* row) {
  ShiftRowBody(padded, width, w, row);
}
[[gnu::target("avx2")]] void ShiftRowAvx2(const uint8_t* padded, int width, const int16_t* w,
                                          uint8_t* row) {
  ShiftRowBody(padded, width, w, row);
}
void ShiftColumnsPlain(const ColumnTaps& taps, int from, int to, uint8_t* row) {
  ShiftColumnsBody(taps, from, to, row);
}
[[gnu::target("avx2")]] void ShiftColumnsAvx2(const ColumnTaps& taps, int from, int to,
                                              uint8_t* row) {
  ShiftColumnsBody(taps, from, to, row);
}

struct Kernels {
  void (*shiftRow)(const uint8_t*, int, const int16_t*, uint8_t*);
  void (*shiftColumns)(const ColumnTaps&, int, int, uint8_t*);
};

const Kernels& ChosenKernels() {
  static const Kernels kChosen = Avx2Available() ? Kernels{ShiftRowAvx2, ShiftColumnsAvx2}
                                                 : Kernels{ShiftRowPlain, ShiftColumnsPlain};
  return kChosen;
}

// padded[j] = row[clamp(j + first)] for j in 0..size: the interior copied, the ends repeated.
void PadRow(const uint8_t* row, int width, int first, uint8_t* padded, int size) {
  const int from = std::clamp(-first, 0, size), to = std::clamp(width - first, from, size);
  std::fill(padded, padded + from, row[0]);
  if (to > from)
    std::memcpy(padded + from, row + from + first, static_cast<size_t>(to - from));
  std::fill(padded + to, padded + size, row[width - 1]);
}

// Shifts every row by amount * (its centre's distance from the plane's centre) pixels, in place.
void ShearAcross(LumaPlane& plane, double amount) {
  const int width = plane.width;
  std::vector<uint8_t> padded(static_cast<size_t>(width) + 3);
  const double centre = plane.height / 2.0;
  for (int y = 0; y < plane.height; ++y) {
    const Shift shift = ShiftOf(amount * (y + 0.5 - centre));
    if (shift.None())
      continue;
    uint8_t* row = plane.Row(y);
    // Output x reads x + whole - 1 .. x + whole + 2, which is padded[x .. x + 3].
    PadRow(row, width, shift.whole - 1, padded.data(), width + 3);
    ChosenKernels().shiftRow(padded.data(), width, shift.weights.data(), row);
  }
}

// Shifts every column by amount * (its centre's distance from the plane's centre) pixels. The
// columns fall into runs that read the same four rows; each run is one loop over its pixels
// with each pixel's weights laid out beside it.
void ShearDown(const LumaPlane& in, LumaPlane& out, double amount) {
  const int width = in.width, height = in.height;
  const double centre = width / 2.0;
  std::array<std::vector<int16_t>, 4> weights;
  for (std::vector<int16_t>& w : weights)
    w.resize(static_cast<size_t>(width));
  struct Run {
    int from, to;
    int whole;
  };
  std::vector<Run> runs;
  for (int x = 0; x < width; ++x) {
    const Shift shift = ShiftOf(amount * (x + 0.5 - centre));
    for (size_t k = 0; k < 4; ++k)
      weights[k][static_cast<size_t>(x)] = shift.weights[k];
    if (runs.empty() || runs.back().whole != shift.whole)
      runs.push_back({x, x, shift.whole});
    runs.back().to = x + 1;
  }
  const Kernels& kernels = ChosenKernels();
  ColumnTaps taps{};
  for (size_t k = 0; k < 4; ++k)
    taps.weight[k] = weights[k].data();
  for (int y = 0; y < height; ++y) {
    uint8_t* row = out.Row(y);
    for (const Run& run : runs) {
      for (size_t k = 0; k < 4; ++k)
        taps.source[k] = in.Row(std::clamp(y + run.whole - 1 + static_cast<int>(k), 0, height - 1));
      kernels.shiftColumns(taps, run.from, run.to, row);
    }
  }
}

}  // namespace

LumaPlane Rotated(LumaPlane plane, double degrees) {
  if (degrees == 0 || plane.width == 0 || plane.height == 0)
    return plane;
  // R(a) = across(-tan(a/2)) down(sin a) across(-tan(a/2)); sampling the result at s reads
  // the input at R(a) s, so the shear applied to the input first is the rightmost one.
  const double a = degrees * std::numbers::pi / 180;
  const double across = -std::tan(a / 2), down = std::sin(a);
  ShearAcross(plane, across);
  LumaPlane sheared = LumaPlane::Sized(plane.width, plane.height);
  ShearDown(plane, sheared, down);
  plane = LumaPlane();
  ShearAcross(sheared, across);
  return sheared;
}

}  // namespace tamsolo
