#include "clean/sharpen.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/cpu_features.h"

namespace tamsolo {
namespace {

// The steepness of crisp print and of a scan's mild blur, between which the sharpening grows.
constexpr double kCrisp = 0.8;
constexpr double kBlurred = 0.6;
constexpr int kWeightBits = 8;

// The kernel's weights in fixed point: side for the two neighbours, middle for the pixel.
// In 16 bits, so that the products map onto multiply instructions of that width.
struct Kernel {
  int16_t side;
  int16_t middle;
};

[[gnu::always_inline]] inline uint8_t Filtered(const Kernel& k, uint8_t before, uint8_t here,
                                               uint8_t after) {
  const auto around = static_cast<int16_t>(before + after);
  int32_t sum = k.middle * int16_t{here} - k.side * around + (1 << (kWeightBits - 1));
  sum >>= kWeightBits;
  return static_cast<uint8_t>(std::clamp(sum, 0, 255));
}

// One row of count pixels from the three rows above, at and below it (or the row's own
// neighbours when up and down are the row itself shifted), into out.
[[gnu::always_inline]] inline void DownBody(const Kernel& k, const uint8_t* up, const uint8_t* here,
                                            const uint8_t* down, int count, uint8_t* out) {
  for (int x = 0; x < count; ++x)
    out[x] = Filtered(k, up[x], here[x], down[x]);
}

void DownPlain(const Kernel& k, const uint8_t* up, const uint8_t* here, const uint8_t* down,
               int count, uint8_t* out) {
  DownBody(k, up, here, down, count, out);
}
[[gnu::target("avx2")]] void DownAvx2(const Kernel& k, const uint8_t* up, const uint8_t* here,
                                      const uint8_t* down, int count, uint8_t* out) {
  DownBody(k, up, here, down, count, out);
}

using DownFunction = void (*)(const Kernel&, const uint8_t*, const uint8_t*, const uint8_t*, int,
                              uint8_t*);

}  // namespace

double EdgeSteepness(const LumaPlane& plane, const ContentBox& box,
                     const std::array<uint8_t, 256>& curve) {
  double sum = 0;
  size_t count = 0;
  std::vector<uint8_t> row(static_cast<size_t>(box.Width()));
  for (int y = box.top; y < box.bottom; y += 4) {
    const uint8_t* in = plane.Row(y) + box.left;
    for (size_t x = 0; x < row.size(); ++x)
      row[x] = curve[in[x]];
    for (size_t x = 1; x + 1 < row.size(); ++x) {
      const int two = std::abs(row[x + 1] - row[x - 1]);
      if (two < 128)
        continue;
      const int one = std::max(std::abs(row[x + 1] - row[x]), std::abs(row[x] - row[x - 1]));
      sum += static_cast<double>(one) / two;
      ++count;
    }
  }
  return count == 0 ? 1 : sum / static_cast<double>(count);
}

double SharpeningFor(double steepness) {
  return kMostSharpening * std::clamp((kCrisp - steepness) / (kCrisp - kBlurred), 0.0, 1.0);
}

void Sharpen(LumaPlane& plane, const ContentBox& box, const std::array<uint8_t, 256>& curve,
             double amount) {
  const auto side = static_cast<int16_t>(std::lround(amount * (1 << kWeightBits)));
  if (side == 0 || box.Width() < 3 || box.Height() < 3) {
    ApplyCurve(plane, box, curve);
    return;
  }
  const Kernel kernel{side, static_cast<int16_t>((1 << kWeightBits) + 2 * side)};
  const int width = box.Width();
  // Across: each row through the curve into a copy padded by its end pixels, so that the
  // filter reads the unchanged pixels; the same loop as down, with the row shifted by one
  // either way.
  std::vector<uint8_t> padded(static_cast<size_t>(width) + 2);
  const DownFunction down = Avx2Available() ? DownAvx2 : DownPlain;
  for (int y = box.top; y < box.bottom; ++y) {
    uint8_t* row = plane.Row(y) + box.left;
    for (int x = 0; x < width; ++x)
      padded[static_cast<size_t>(x) + 1] = curve[row[x]];
    padded.front() = padded[1];
    padded.back() = padded[static_cast<size_t>(width)];
    down(kernel, padded.data(), padded.data() + 1, padded.data() + 2, width, row);
  }
  // Down: the row above as it was, kept aside, and the current row's copy.
  std::vector<uint8_t> above(static_cast<size_t>(width)), current(static_cast<size_t>(width));
  std::memcpy(above.data(), plane.Row(box.top) + box.left, static_cast<size_t>(width));
  for (int y = box.top; y < box.bottom; ++y) {
    uint8_t* row = plane.Row(y) + box.left;
    std::memcpy(current.data(), row, static_cast<size_t>(width));
    const uint8_t* below = y + 1 < box.bottom ? plane.Row(y + 1) + box.left : current.data();
    down(kernel, above.data(), current.data(), below, width, row);
    std::swap(above, current);
  }
}

}  // namespace tamsolo
