#include <immintrin.h>

#include <algorithm>
#include <bit>
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

// Stores 8 transposed columns (two per register, as Transpose8x8 leaves them) as floats.
TAMSOLO_FMA3 inline void StoreLanes(float* out, __m128i c0, __m128i c1, __m128i c2, __m128i c3) {
  StoreBytesAsFloats(out + 0 * kLanes, c0);
  StoreBytesAsFloats(out + 1 * kLanes, _mm_srli_si128(c0, 8));
  StoreBytesAsFloats(out + 2 * kLanes, c1);
  StoreBytesAsFloats(out + 3 * kLanes, _mm_srli_si128(c1, 8));
  StoreBytesAsFloats(out + 4 * kLanes, c2);
  StoreBytesAsFloats(out + 5 * kLanes, _mm_srli_si128(c2, 8));
  StoreBytesAsFloats(out + 6 * kLanes, c3);
  StoreBytesAsFloats(out + 7 * kLanes, _mm_srli_si128(c3, 8));
}

// Lays 8 source rows out as floats lane by lane: lanes[p * 8 + r] is byte p of row r.
TAMSOLO_FMA3 void InterleaveRows(const uint8_t* const* rows, size_t length, float* lanes) {
  size_t p = 0;
  for (; p + kLanes <= length; p += kLanes) {
    __m128i c0, c1, c2, c3;
    Transpose8x8(c0, c1, c2, c3, Load8(rows[0] + p), Load8(rows[1] + p), Load8(rows[2] + p),
                 Load8(rows[3] + p), Load8(rows[4] + p), Load8(rows[5] + p), Load8(rows[6] + p),
                 Load8(rows[7] + p));
    StoreLanes(lanes + p * kLanes, c0, c1, c2, c3);
  }
  for (; p < length; ++p)
    for (size_t r = 0; r < kLanes; ++r)
      lanes[p * kLanes + r] = rows[r][p];
}

// The first channel of 8 pixels (24 bytes from p), as 8 bytes.
TAMSOLO_FMA3 inline __m128i LoadGray8(const uint8_t* p) {
  const __m128i fromLow = _mm_setr_epi8(0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i fromHigh =
      _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 2, 5, -1, -1, -1, -1, -1, -1, -1, -1);
  return _mm_or_si128(
      _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), fromLow),
      _mm_shuffle_epi8(Load8(p + 16), fromHigh));
}

// The same for gray rows, one channel of each pixel: lanes[p * 8 + r] is byte 3p of row r.
TAMSOLO_FMA3 void InterleaveGrayRows(const uint8_t* const* rows, size_t width, float* lanes) {
  size_t p = 0;
  for (; p + kLanes <= width; p += kLanes) {
    __m128i c0, c1, c2, c3;
    const size_t at = 3 * p;
    Transpose8x8(c0, c1, c2, c3, LoadGray8(rows[0] + at), LoadGray8(rows[1] + at),
                 LoadGray8(rows[2] + at), LoadGray8(rows[3] + at), LoadGray8(rows[4] + at),
                 LoadGray8(rows[5] + at), LoadGray8(rows[6] + at), LoadGray8(rows[7] + at));
    StoreLanes(lanes + p * kLanes, c0, c1, c2, c3);
  }
  for (; p < width; ++p)
    for (size_t r = 0; r < kLanes; ++r)
      lanes[p * kLanes + r] = rows[r][3 * p];
}

// A tap of the horizontal pass with its pixel's place in the lane layout worked out once
// per pass: the first of its channels' floats.
struct LaneTap {
  ptrdiff_t offset;
  float weight;
};

struct LaneTapList {
  const LaneTap* taps;
  int32_t count;
};

// Every list of the axis with its offsets into lanes laid out kChannels floats x 8 rows per
// pixel.
class LaneTaps {
 public:
  LaneTaps(const AxisTaps& taps, int channels) : starts_(static_cast<size_t>(taps.Size()) + 1) {
    for (int32_t i = 0; i < taps.Size(); ++i) {
      starts_[static_cast<size_t>(i)] = taps_.size();
      for (const Tap& tap : taps[i])
        taps_.push_back({static_cast<ptrdiff_t>(tap.index) * channels * kLanes, tap.weight});
    }
    starts_.back() = taps_.size();
  }
  LaneTapList operator[](size_t i) const {
    return {taps_.data() + starts_[i], static_cast<int32_t>(starts_[i + 1] - starts_[i])};
  }

 private:
  std::vector<size_t> starts_;
  std::vector<LaneTap> taps_;
};

// One destination column's tap for 8 rows: each channel's sum takes value times weight.
template <int kChannels>
TAMSOLO_FMA3 inline void AddTap(__m256* sums, const float* lanes, const LaneTap& tap) {
  const __m256 weight = _mm256_set1_ps(tap.weight);
  const float* pixel = lanes + tap.offset;
#pragma GCC unroll 3
  for (int c = 0; c < kChannels; ++c)
    sums[c] = _mm256_fmadd_ps(_mm256_load_ps(pixel + c * kLanes), weight, sums[c]);
}

// kColumns neighbouring destination columns for 8 rows at once: their sums are independent
// chains of fused multiply-adds, enough of them (8 or more) to hide the instruction's
// latency, while each sum still takes its own taps in list order. Lists may differ in length.
template <int kChannels, int kColumns>
TAMSOLO_FMA3 inline void FilterColumns(const float* lanes, const LaneTapList* lists,
                                       uint8_t* staged) {
  __m256 sums[static_cast<size_t>(kColumns)][static_cast<size_t>(kChannels)];
  int32_t common = lists[0].count;
#pragma GCC unroll 8
  for (int n = 0; n < kColumns; ++n) {
    common = std::min(common, lists[n].count);
#pragma GCC unroll 3
    for (int c = 0; c < kChannels; ++c)
      sums[n][c] = _mm256_setzero_ps();
  }
  for (int32_t t = 0; t < common; ++t) {
#pragma GCC unroll 8
    for (int n = 0; n < kColumns; ++n)
      AddTap<kChannels>(sums[n], lanes, lists[n].taps[t]);
  }
#pragma GCC unroll 8
  for (int n = 0; n < kColumns; ++n) {
    for (int32_t t = common; t < lists[n].count; ++t)
      AddTap<kChannels>(sums[n], lanes, lists[n].taps[t]);
  }
#pragma GCC unroll 8
  for (int n = 0; n < kColumns; ++n) {
#pragma GCC unroll 3
    for (int c = 0; c < kChannels; ++c)
      _mm_storel_epi64(reinterpret_cast<__m128i*>(staged + (n * kChannels + c) * kLanes),
                       IntsToBytes(SumsToInts(sums[n][c])));
  }
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

// 32 destination bytes of one row from four sums of 8, packed back into byte order.
TAMSOLO_FMA3 inline __m256i PackSums(__m256 s0, __m256 s1, __m256 s2, __m256 s3) {
  const __m256i words =
      _mm256_packus_epi32(SumsToInts(s0), SumsToInts(s1));  // per 128-bit half: s0 s1 s0 s1
  const __m256i words2 = _mm256_packus_epi32(SumsToInts(s2), SumsToInts(s3));
  const __m256i bytes = _mm256_packus_epi16(words, words2);
  // The packs work within 128-bit halves; put the 4-byte groups back in order.
  return _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

TAMSOLO_FMA3 inline __m256 LoadBytesAsFloats(const uint8_t* p) {
  return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(Load8(p)));
}

// The vertical pass over one strip of the intermediate, kVectors x 8 bytes wide, from the top
// to the bottom: each output row's sums are kVectors independent chains of fused
// multiply-adds, one per 8 bytes, taking their taps in list order. The strip's rows are
// turned into floats once, into a small cache that the neighbouring output rows (whose
// windows overlap) read again; a slot holds the rows whose index leaves the slot number when
// divided by the slot count, a power of two, so a window of up to that many rows stays in it
// while the rows are taken top to bottom.
template <int kVectors>
class VerticalStrip {
 public:
  static constexpr size_t kBytes = 8 * kVectors;

  // At least minimumSlots slots; the count is rounded up to a power of two.
  VerticalStrip(const PaddedRaster& in, size_t minimumSlots)
      : in_(in),
        mask_(std::bit_ceil(minimumSlots) - 1),
        rows_((mask_ + 1) * kBytes),
        tags_(mask_ + 1) {}

  // Starts a strip at byte p, of which width bytes (at most kBytes) lie inside the rows.
  void Start(size_t p, size_t width) {
    p_ = p;
    loads_ = (width + 7) / 8;
    std::fill(tags_.begin(), tags_.end(), -1);
  }

  TAMSOLO_FMA3 void Filter(TapList list, uint8_t* out) {
    __m256 s[static_cast<size_t>(kVectors)];
#pragma GCC unroll 12
    for (int k = 0; k < kVectors; ++k)
      s[k] = _mm256_setzero_ps();
    for (const Tap& tap : list) {
      const float* row = Row(tap.index);
      const __m256 weight = _mm256_set1_ps(tap.weight);
#pragma GCC unroll 12
      for (int k = 0; k < kVectors; ++k)
        s[k] = _mm256_fmadd_ps(_mm256_load_ps(row + 8 * k), weight, s[k]);
    }
#pragma GCC unroll 3
    for (int b = 0; b < kVectors / 4; ++b)
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * b),
                          PackSums(s[4 * b], s[4 * b + 1], s[4 * b + 2], s[4 * b + 3]));
  }

 private:
  TAMSOLO_FMA3 const float* Row(int32_t index) {
    const size_t slot = static_cast<size_t>(index) & mask_;
    float* row = rows_.Data() + slot * kBytes;
    if (tags_[slot] != index) {
      tags_[slot] = index;
      const uint8_t* bytes = in_.Row(index) + p_;
      // Only whole groups of 8 inside the padded row are read; the rest of the slot is
      // never stored.
      for (size_t k = 0; k < loads_; ++k)
        _mm256_store_ps(row + 8 * k, LoadBytesAsFloats(bytes + 8 * k));
      if (index + 4 < in_.Rows())
        _mm_prefetch(reinterpret_cast<const char*>(in_.Row(index + 4) + p_), _MM_HINT_T0);
    }
    return row;
  }

  const PaddedRaster& in_;
  size_t mask_;
  AlignedFloats rows_;
  std::vector<int32_t> tags_;
  size_t p_ = 0;
  size_t loads_ = 0;
};

// SpreadGrayRow 16 pixels at a time, from the end backwards: a block's 48 bytes start at or
// after the 16 bytes it reads, so nothing not yet read is overwritten.
TAMSOLO_FMA3 void SpreadGrayRowFma3(uint8_t* row, size_t width) {
  const __m128i first = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
  const __m128i second = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
  const __m128i third =
      _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
  size_t x = width;
  for (; x >= 16; x -= 16) {
    const __m128i gray = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x - 16));
    auto* out = reinterpret_cast<__m128i*>(row + 3 * (x - 16));
    _mm_storeu_si128(out, _mm_shuffle_epi8(gray, first));
    _mm_storeu_si128(out + 1, _mm_shuffle_epi8(gray, second));
    _mm_storeu_si128(out + 2, _mm_shuffle_epi8(gray, third));
  }
  SpreadGrayRow(row, x);
}

template <int kVectors>
TAMSOLO_FMA3 void VerticalPassWith(const PaddedRaster& in, size_t length, const AxisTaps& taps,
                                   RgbImage& destination, const ResampleCheckpoint& checkpoint) {
  constexpr size_t kBytes = VerticalStrip<kVectors>::kBytes;
  VerticalStrip<kVectors> strip(in, static_cast<size_t>(taps.Capacity()) + 2);
  for (size_t p = 0; p < length; p += kBytes) {
    const size_t width = std::min(kBytes, length - p);
    strip.Start(p, width);
    for (int32_t r = 0; r < taps.Size(); ++r) {
      if (checkpoint && r % kLanes == 0)
        checkpoint();
      uint8_t* out = destination.Row(r) + p;
      if (width == kBytes) {
        strip.Filter(taps[r], out);
      } else {
        // The destination's rows are not padded.
        alignas(32) uint8_t last[kBytes];
        strip.Filter(taps[r], last);
        std::memcpy(out, last, width);
      }
    }
  }
}

template <int kChannels, int kColumns>
TAMSOLO_FMA3 void HorizontalPassWith(const RgbImage& source, const AxisTaps& taps,
                                     PaddedRaster& out, const ResampleCheckpoint& checkpoint) {
  constexpr size_t kGroupBytes = static_cast<size_t>(kChannels) * kColumns;
  const size_t inLength = static_cast<size_t>(source.Width()) * kChannels;
  const size_t columns = static_cast<size_t>(taps.Size());
  const size_t outLength = (columns * kChannels + kLanes - 1) / kLanes * kLanes;
  // Room for the empty partners of a last group that is not full.
  const size_t stagedLength = (columns + kColumns) * kChannels;
  AlignedFloats lanes(inLength * kLanes);
  const LaneTaps laneTaps(taps, kChannels);
  auto staged = std::make_unique<uint8_t[]>(std::max(stagedLength, outLength) * kLanes);
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
    if (kChannels == 1)
      InterleaveGrayRows(inRows, inLength, lanes.Data());
    else
      InterleaveRows(inRows, inLength, lanes.Data());
    for (size_t i = 0; i < columns; i += kColumns) {
      LaneTapList lists[static_cast<size_t>(kColumns)];
      for (size_t n = 0; n < kColumns; ++n)
        lists[n] = i + n < columns ? laneTaps[i + n] : LaneTapList{nullptr, 0};
      FilterColumns<kChannels, kColumns>(lanes.Data(), lists,
                                         staged.get() + i / kColumns * kGroupBytes * kLanes);
    }
    StoreRows(staged.get(), outLength, outRows);
  }
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
TAMSOLO_FMA3 void HorizontalPassFma3(const RgbImage& source, int channels, const AxisTaps& taps,
                                     PaddedRaster& out, const ResampleCheckpoint& checkpoint) {
  if (channels == 1)
    HorizontalPassWith<1, 8>(source, taps, out, checkpoint);
  else
    HorizontalPassWith<3, 4>(source, taps, out, checkpoint);
}

TAMSOLO_FMA3 void VerticalPassFma3(const PaddedRaster& in, int channels, const AxisTaps& taps,
                                   RgbImage& destination, const ResampleCheckpoint& checkpoint) {
  const size_t width = static_cast<size_t>(destination.Width());
  VerticalPassWith<8>(in, width * static_cast<size_t>(channels), taps, destination, checkpoint);
  if (channels == 1) {
    for (int32_t r = 0; r < destination.Height(); ++r)
      SpreadGrayRowFma3(destination.Row(r), width);
  }
}

}  // namespace tamsolo
