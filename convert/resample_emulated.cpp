#include <algorithm>
#include <bit>
#include <vector>

#include "convert/resample_passes.h"

namespace tamsolo {

float FusedMultiplyAddEmulated(float sum, float value, float weight) {
  // value is a channel byte, so the product has at most 32 significant bits: exact in double.
  const double product = static_cast<double>(value) * static_cast<double>(weight);
  const double s = sum;
  // TwoSum: hi + lo is exactly s + product.
  double hi = s + product;
  const double t = hi - s;
  const double lo = (s - (hi - t)) + (product - t);
  // Round to odd: with the inexact sticky bit folded into the last bit, the one rounding to
  // float below is correct (53 >= 24 + 2 bits); plain double rounding would not be.
  if (lo != 0) {
    auto bits = std::bit_cast<uint64_t>(hi);
    if ((bits & 1) == 0)
      bits += ((lo > 0) == (hi > 0)) ? 1 : -1;
    hi = std::bit_cast<double>(bits);
  }
  return static_cast<float>(hi);
}

uint8_t SumToByte(float sum) {
  if (sum > 255)
    return 255;
  if (sum < 0)
    return 0;
  // Decided on the exact fraction, independent of the thread's rounding mode.
  const int whole = static_cast<int>(sum);
  const float fraction = sum - static_cast<float>(whole);
  if (fraction > 0.5f || (fraction == 0.5f && (whole & 1) != 0))
    return static_cast<uint8_t>(whole + 1);
  return static_cast<uint8_t>(whole);
}

void HorizontalPassEmulated(const RgbImage& source, const AxisTaps& taps, PaddedRaster& out) {
  for (int32_t k = 0; k < source.Height(); ++k) {
    const uint8_t* in = source.Row(k);
    uint8_t* row = out.Row(k);
    for (int32_t i = 0; i < taps.Size(); ++i) {
      float sums[3] = {0, 0, 0};
      for (const Tap& tap : taps[i]) {
        const uint8_t* pixel = in + 3 * static_cast<size_t>(tap.index);
        for (int c = 0; c < 3; ++c)
          sums[c] = FusedMultiplyAddEmulated(sums[c], pixel[c], tap.weight);
      }
      for (int c = 0; c < 3; ++c)
        row[3 * static_cast<size_t>(i) + c] = SumToByte(sums[c]);
    }
  }
}

void VerticalPassEmulated(const PaddedRaster& in, const AxisTaps& taps, RgbImage& destination) {
  const size_t length = destination.Stride();
  std::vector<float> sums(length);
  for (int32_t r = 0; r < taps.Size(); ++r) {
    std::fill(sums.begin(), sums.end(), 0.0f);
    for (const Tap& tap : taps[r]) {
      const uint8_t* row = in.Row(tap.index);
      for (size_t p = 0; p < length; ++p)
        sums[p] = FusedMultiplyAddEmulated(sums[p], row[p], tap.weight);
    }
    uint8_t* out = destination.Row(r);
    for (size_t p = 0; p < length; ++p)
      out[p] = SumToByte(sums[p]);
  }
}

}  // namespace tamsolo
