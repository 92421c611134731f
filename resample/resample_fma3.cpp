#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "resample/resample_passes.h"

// Vector versions of the two passes. Each lane holds a sum of its own and adds its taps in
// list order, so the results are bit-identical to the scalar emulation. Only functions marked
// TAMSOLO_FMA3 use AVX2 instructions; they are reached only after Fma3Available().
#define TAMSOLO_FMA3 __attribute__((target("avx2,fma")))

namespace tamsolo {
namespace {

constexpr int kLanes = 8;

// 8 rows of 8 bytes in, 8 columns of 8 bytes out (row r of the result is column r of the
// input), each as the low half of an SSE register.
TAMSOLO_FMA3 inline void Transpose8x8(__m128i& c0, __m128i& c1, __m128i& c2, __m128i& c3,
                                      __m128i r0, __m128i r1, __m128i r2, __m128i r3, __m128i r4,
                                      __m128i r5, __m128i r6, __m128i r7) {
  const __m128i a0 = _mm_unpacklo_epi8(r0, r1);
  const __m128i a1 = _mm_unpacklo_epi8(r2, r3);
  const __m128i a2 = _mm_unpacklo_epi8(r4, r5);
  const __m128i a3 = _mm_unpacklo_epi8(r6, r7);
  const __m128i b0 = _mm_unpacklo_epi16(a0, a1);
  const __m128i b1 = _mm_unpackhi_epi16(a0, a1);
  const __m128i b2 = _mm_unpacklo_epi16(a2, a3);
  const __m128i b3 = _mm_unpackhi_epi16(a2, a3);
  // Each result register holds two output rows: columns 2q and 2q + 1.
  c0 = _mm_unpacklo_epi32(b0, b2);
  c1 = _mm_unpackhi_epi32(b0, b2);
  c2 = _mm_unpacklo_epi32(b1, b3);
  c3 = _mm_unpackhi_epi32(b1, b3);
}

TAMSOLO_FMA3 inline __m128i Load8(const uint8_t* p) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

TAMSOLO_FMA3 inline void StoreBytesAsFloats(float* out, __m128i bytes) {
  _mm256_store_ps(out, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes)));
}

// Clamps to 0..255 and rounds to nearest-even (the MXCSR default) as 8 int32 values.
TAMSOLO_FMA3 inline __m256i SumsToInts(__m256 sums) {
  const __m256 clamped =
      _mm256_min_ps(_mm256_max_ps(sums, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
  return _mm256_cvtps_epi32(clamped);
}

TAMSOLO_FMA3 inline __m128i IntsToBytes(__m256i ints) {
  const __m128i words =
      _mm_packus_epi32(_mm256_castsi256_si128(ints), _mm256_extracti128_si256(ints, 1));
  return _mm_packus_epi16(words, words);
}

// A float buffer whose start is 32-byte aligned, for aligned vector loads and stores.
class AlignedFloats {
 public:
  explicit AlignedFloats(size_t count) : storage_(count + 8) {
    const auto address = reinterpret_cast<uintptr_t>(storage_.data());
    data_ = storage_.data() + ((32 - address % 32) % 32) / sizeof(float);
  }
  float* Data() { return data_; }

 private:
  std::vector<float> storage_;
  float* data_;
};

// Lays 8 source rows out as floats lane by lane: lanes[p * 8 + r] is byte p of row r.
TAMSOLO_FMA3 void InterleaveRows(const uint8_t* const* rows, size_t length, float* lanes) {
  size_t p = 0;
  for (; p + kLanes <= length; p += kLanes) {
    __m128i c0, c1, c2, c3;
    Transpose8x8(c0, c1, c2, c3, Load8(rows[0] + p), Load8(rows[1] + p), Load8(rows[2] + p),
                 Load8(rows[3] + p), Load8(rows[4] + p), Load8(rows[5] + p), Load8(rows[6] + p),
                 Load8(rows[7] + p));
    float* out = lanes + p * kLanes;
    StoreBytesAsFloats(out + 0 * kLanes, c0);
    StoreBytesAsFloats(out + 1 * kLanes, _mm_srli_si128(c0, 8));
    StoreBytesAsFloats(out + 2 * kLanes, c1);
    StoreBytesAsFloats(out + 3 * kLanes, _mm_srli_si128(c1, 8));
    StoreBytesAsFloats(out + 4 * kLanes, c2);
    StoreBytesAsFloats(out + 5 * kLanes, _mm_srli_si128(c2, 8));
    StoreBytesAsFloats(out + 6 * kLanes, c3);
    StoreBytesAsFloats(out + 7 * kLanes, _mm_srli_si128(c3, 8));
  }
  for (; p < length; ++p)
    for (size_t r = 0; r < kLanes; ++r)
      lanes[p * kLanes + r] = rows[r][p];
}

// Three sums per lane (red, green, blue of one destination column in 8 rows).
struct ColumnSums {
  __m256 red, green, blue;
};

TAMSOLO_FMA3 inline void AddTap(ColumnSums& sums, const float* lanes, const Tap& tap) {
  const __m256 weight = _mm256_set1_ps(tap.weight);
  const float* pixel = lanes + static_cast<size_t>(tap.index) * 3 * kLanes;
  sums.red = _mm256_fmadd_ps(_mm256_load_ps(pixel), weight, sums.red);
  sums.green = _mm256_fmadd_ps(_mm256_load_ps(pixel + kLanes), weight, sums.green);
  sums.blue = _mm256_fmadd_ps(_mm256_load_ps(pixel + 2 * kLanes), weight, sums.blue);
}

TAMSOLO_FMA3 inline void StoreSums(const ColumnSums& sums, uint8_t* staged) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(staged), IntsToBytes(SumsToInts(sums.red)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(staged + kLanes),
                   IntsToBytes(SumsToInts(sums.green)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(staged + 2 * kLanes),
                   IntsToBytes(SumsToInts(sums.blue)));
}

// Two neighbouring destination columns for 8 rows at once. Interleaving them gives the
// processor six independent chains of fused multiply-adds; each sum still takes its own
// taps in list order.
TAMSOLO_FMA3 inline void FilterColumnPair(const float* lanes, TapList left, TapList right,
                                          uint8_t* staged) {
  ColumnSums a = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps()};
  ColumnSums b = a;
  const int32_t common = std::min(left.count, right.count);
  for (int32_t t = 0; t < common; ++t) {
    AddTap(a, lanes, left.taps[t]);
    AddTap(b, lanes, right.taps[t]);
  }
  for (int32_t t = common; t < left.count; ++t)
    AddTap(a, lanes, left.taps[t]);
  for (int32_t t = common; t < right.count; ++t)
    AddTap(b, lanes, right.taps[t]);
  StoreSums(a, staged);
  StoreSums(b, staged + 3 * kLanes);
}

// staged[p * 8 + r] is byte p of output row r; writes it back row by row. The rows are padded
// to whole groups of 8 bytes, and so is the staging area.
TAMSOLO_FMA3 void StoreRows(const uint8_t* staged, size_t length, uint8_t* const* rows) {
  for (size_t p = 0; p < length; p += kLanes) {
    const uint8_t* s = staged + p * kLanes;
    __m128i c0, c1, c2, c3;
    Transpose8x8(c0, c1, c2, c3, Load8(s), Load8(s + 8), Load8(s + 16), Load8(s + 24),
                 Load8(s + 32), Load8(s + 40), Load8(s + 48), Load8(s + 56));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[0] + p), c0);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[1] + p), _mm_srli_si128(c0, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[2] + p), c1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[3] + p), _mm_srli_si128(c1, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[4] + p), c2);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[5] + p), _mm_srli_si128(c2, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[6] + p), c3);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(rows[7] + p), _mm_srli_si128(c3, 8));
  }
}

// 32 destination bytes of one row: four groups of 8 sums, taps in list order.
TAMSOLO_FMA3 inline __m256i FilterRowChunk(const PaddedRaster& in, TapList list, size_t p) {
  __m256 s0 = _mm256_setzero_ps();
  __m256 s1 = _mm256_setzero_ps();
  __m256 s2 = _mm256_setzero_ps();
  __m256 s3 = _mm256_setzero_ps();
  for (const Tap& tap : list) {
    const __m256 weight = _mm256_set1_ps(tap.weight);
    const uint8_t* row = in.Row(tap.index) + p;
    s0 = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(Load8(row))), weight, s0);
    s1 = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(Load8(row + 8))), weight, s1);
    s2 = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(Load8(row + 16))), weight, s2);
    s3 = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(Load8(row + 24))), weight, s3);
  }
  const __m256i words =
      _mm256_packus_epi32(SumsToInts(s0), SumsToInts(s1));  // per 128-bit half: s0 s1 s0 s1
  const __m256i words2 = _mm256_packus_epi32(SumsToInts(s2), SumsToInts(s3));
  const __m256i bytes = _mm256_packus_epi16(words, words2);
  // The packs work within 128-bit halves; put the 4-byte groups back in order.
  return _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

}  // namespace

bool Fma3Available() {
  static const bool kAvailable = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  }();
  return kAvailable;
}

TAMSOLO_FMA3 float FusedMultiplyAddFma3(float sum, float value, float weight) {
  return _mm_cvtss_f32(_mm_fmadd_ss(_mm_set_ss(value), _mm_set_ss(weight), _mm_set_ss(sum)));
}

// Eight source rows at a time: laid out lane by lane, each destination column is then a
// sequence of aligned loads and fused multiply-adds with one broadcast weight per tap.
TAMSOLO_FMA3 void HorizontalPassFma3(const RgbImage& source, const AxisTaps& taps,
                                     PaddedRaster& out, const ResampleCheckpoint& checkpoint) {
  const size_t inLength = source.Stride();
  const size_t outLength = (static_cast<size_t>(taps.Size()) * 3 + kLanes - 1) / kLanes * kLanes;
  // Room for the pair partner of an odd last column.
  const size_t stagedLength = outLength + 3 * kLanes;
  AlignedFloats lanes(inLength * kLanes);
  auto staged = std::make_unique<uint8_t[]>(stagedLength * kLanes);
  const int32_t height = source.Height();
  for (int32_t k0 = 0; k0 < height; k0 += kLanes) {
    if (checkpoint)
      checkpoint();
    const uint8_t* inRows[kLanes];
    uint8_t* outRows[kLanes];
    for (int r = 0; r < kLanes; ++r) {
      // The last block repeats the bottom row; its extra lanes land in the padding rows.
      inRows[r] = source.Row(std::min(k0 + r, height - 1));
      outRows[r] = out.Row(k0 + r);
    }
    InterleaveRows(inRows, inLength, lanes.Data());
    // An odd last column is paired with an empty list; its sums land in the staging padding.
    for (int32_t i = 0; i < taps.Size(); i += 2) {
      const TapList next = i + 1 < taps.Size() ? taps[i + 1] : TapList{nullptr, 0};
      FilterColumnPair(lanes.Data(), taps[i], next,
                       staged.get() + static_cast<size_t>(i) * 3 * kLanes);
    }
    StoreRows(staged.get(), outLength, outRows);
  }
}

TAMSOLO_FMA3 void VerticalPassFma3(const PaddedRaster& in, const AxisTaps& taps,
                                   RgbImage& destination, const ResampleCheckpoint& checkpoint) {
  constexpr size_t kChunk = 32;
  const size_t length = destination.Stride();
  for (int32_t r = 0; r < taps.Size(); ++r) {
    if (checkpoint && r % kLanes == 0)
      checkpoint();
    uint8_t* out = destination.Row(r);
    const TapList list = taps[r];
    size_t p = 0;
    for (; p + kChunk <= length; p += kChunk)
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + p), FilterRowChunk(in, list, p));
    if (p < length) {
      // The intermediate's rows are padded to whole chunks; the destination's are not.
      uint8_t last[kChunk];
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(last), FilterRowChunk(in, list, p));
      std::memcpy(out + p, last, length - p);
    }
  }
}

}  // namespace tamsolo
