#include <emmintrin.h>

#include <algorithm>
#include <vector>

#include "resample/resample_passes.h"

namespace tamsolo {
namespace {

// Two accumulation steps side by side, in SSE2 (every x86-64 processor has it). The float32
// sums are carried as doubles, which hold them exactly.
inline __m128d FusedStep(__m128d sum, __m128d value, __m128d weight) {
  // value is a channel byte, so the product has at most 32 significant bits: exact in double.
  const __m128d product = _mm_mul_pd(value, weight);
  // TwoSum: hi + lo is exactly sum + product.
  const __m128d hi = _mm_add_pd(sum, product);
  const __m128d t = _mm_sub_pd(hi, sum);
  const __m128d lo = _mm_add_pd(_mm_sub_pd(sum, _mm_sub_pd(hi, t)), _mm_sub_pd(product, t));
  // Round to odd: truncate the exact sum to double, then set the last bit when inexact. The
  // one rounding to float below is then correct (53 >= 24 + 2 bits); plain double rounding
  // would not be. Truncation is hi, or one step toward zero when lo points the other way; lo
  // is a multiple of 2^-149, so lo * hi cannot underflow.
  const __m128d zero = _mm_setzero_pd();
  const __m128d inexact = _mm_cmpneq_pd(lo, zero);
  const __m128d towardZero = _mm_and_pd(_mm_cmplt_pd(_mm_mul_pd(lo, hi), zero), inexact);
  __m128i bits = _mm_add_epi64(_mm_castpd_si128(hi), _mm_castpd_si128(towardZero));
  bits = _mm_or_si128(bits, _mm_and_si128(_mm_castpd_si128(inexact), _mm_set1_epi64x(1)));
  return _mm_cvtps_pd(_mm_cvtpd_ps(_mm_castsi128_pd(bits)));
}

// A run of sums, each taking one more tap: sums[l] += values[l] * weight, two at a time.
inline void FusedSteps(double* sums, const double* values, double weight, size_t count) {
  const __m128d w = _mm_set1_pd(weight);
  for (size_t l = 0; l < count; l += 2)
    _mm_storeu_pd(sums + l, FusedStep(_mm_loadu_pd(sums + l), _mm_loadu_pd(values + l), w));
}

}  // namespace

float FusedMultiplyAddEmulated(float sum, float value, float weight) {
  return static_cast<float>(
      _mm_cvtsd_f64(FusedStep(_mm_set_sd(sum), _mm_set_sd(value), _mm_set_sd(weight))));
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

void SpreadGrayRow(uint8_t* row, size_t width) {
  // From the end backwards: pixel x's bytes lie at or after byte x, which is read first.
  for (size_t x = width; x-- > 0;) {
    const uint8_t value = row[x];
    row[3 * x] = value;
    row[3 * x + 1] = value;
    row[3 * x + 2] = value;
  }
}

// Eight source rows at a time, laid out lane by lane (lanes[p * 8 + r] is sample p of row r),
// so that the sums of one destination column run side by side; each still takes its taps in
// list order. A gray source contributes its first channel only.
void HorizontalPassEmulated(const RgbImage& source, int channels, const AxisTaps& taps,
                            PaddedRaster& out, const ResampleCheckpoint& checkpoint) {
  constexpr int kLanes = 8;
  const auto step = static_cast<size_t>(3 / channels);
  const size_t sums = static_cast<size_t>(channels) * kLanes;
  const size_t length = source.Stride() / step;
  std::vector<double> lanes(length * kLanes);
  const int32_t height = source.Height();
  for (int32_t k0 = 0; k0 < height; k0 += kLanes) {
    if (checkpoint)
      checkpoint();
    // The last block repeats the bottom row; its extra lanes land in the padding rows.
    for (int r = 0; r < kLanes; ++r) {
      const uint8_t* row = source.Row(std::min(k0 + r, height - 1));
      double* lane = lanes.data() + r;
      for (size_t p = 0; p < length; ++p)
        lane[p * kLanes] = row[p * step];
    }
    double sum[3 * kLanes];
    for (int32_t i = 0; i < taps.Size(); ++i) {
      std::fill_n(sum, sums, 0.0);
      for (const Tap& tap : taps[i])
        FusedSteps(sum, lanes.data() + static_cast<size_t>(tap.index) * sums, tap.weight, sums);
      for (int r = 0; r < kLanes; ++r) {
        uint8_t* pixel = out.Row(k0 + r) + static_cast<size_t>(channels) * static_cast<size_t>(i);
        for (int c = 0; c < channels; ++c)
          pixel[c] = SumToByte(static_cast<float>(sum[c * kLanes + r]));
      }
    }
  }
}

void VerticalPassEmulated(const PaddedRaster& in, int channels, const AxisTaps& taps,
                          RgbImage& destination, const ResampleCheckpoint& checkpoint) {
  const size_t width = static_cast<size_t>(destination.Width());
  const size_t length = width * static_cast<size_t>(channels);
  // Even counts for the pairwise steps; the spare entry is never written out.
  const size_t even = (length + 1) / 2 * 2;
  std::vector<double> sums(even);
  std::vector<double> values(even);
  for (int32_t r = 0; r < taps.Size(); ++r) {
    if (checkpoint && r % 8 == 0)
      checkpoint();
    std::fill(sums.begin(), sums.end(), 0.0);
    for (const Tap& tap : taps[r]) {
      // The intermediate's rows are padded, so reading up to an even count stays inside.
      std::copy_n(in.Row(tap.index), even, values.begin());
      FusedSteps(sums.data(), values.data(), tap.weight, even);
    }
    uint8_t* out = destination.Row(r);
    for (size_t p = 0; p < length; ++p)
      out[p] = SumToByte(static_cast<float>(sums[p]));
    if (channels == 1)
      SpreadGrayRow(out, width);
  }
}

}  // namespace tamsolo
