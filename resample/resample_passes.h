#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "image/rgb_image.h"
#include "resample/axis_taps.h"
#include "resample/tap_cache.h"

namespace tamsolo {

// Called between bands of a few rows, so that a large image can be given up part-way: what it
// throws ends the scaling.
using ResampleCheckpoint = std::function<void()>;

// The 8-bit image between the two passes. Rows are padded to a multiple of 32 bytes and
// their number to a multiple of 8, so vector loops may load and store whole blocks; the
// padding never reaches the destination.
class PaddedRaster {
 public:
  PaddedRaster() = default;
  PaddedRaster(int32_t rowBytes, int32_t rows) { Reshape(rowBytes, rows); }

  // A new size; the buffer is kept when it holds enough bytes, so that one raster serves
  // image after image without touching fresh memory.
  void Reshape(int32_t rowBytes, int32_t rows);

  int32_t RowBytes() const { return rowBytes_; }
  int32_t Rows() const { return rows_; }
  size_t Stride() const { return stride_; }
  uint8_t* Row(int32_t y) { return data_.get() + stride_ * static_cast<size_t>(y); }
  const uint8_t* Row(int32_t y) const { return data_.get() + stride_ * static_cast<size_t>(y); }

 private:
  int32_t rowBytes_ = 0;
  int32_t rows_ = 0;
  size_t stride_ = 0;
  size_t capacity_ = 0;
  std::unique_ptr<uint8_t[]> data_;
};

// What a thread keeps from one scaling to the next: the intermediate's buffer and the tap
// lists of the last few axes.
struct ResampleScratch {
  PaddedRaster intermediate;
  TapCache taps;
};

// How each accumulation step sum + value * weight is rounded once to float32: by the FMA3
// instruction, or by an exact emulation on processors without it. Both give the same bits.
enum class AccumulatePath { Fma3, Emulated };

// True when the processor (and the operating system) supports AVX2 and FMA3.
bool Fma3Available();

// The accumulation step: the exact sum + value * weight, rounded once to float32.
float FusedMultiplyAddEmulated(float sum, float value, float weight);
// The same through the FMA3 instruction; only when Fma3Available().
float FusedMultiplyAddFma3(float sum, float value, float weight);

// A float32 sum as a channel byte: clamped to 0..255, else nearest, ties to even.
uint8_t SumToByte(float sum);

// Horizontal pass: every source row through the width axis's lists into the intermediate.
// With channels 1 the source is known gray and only its first channel is read; the
// intermediate then holds one byte per destination column. Both passes call checkpoint (when
// set) before each band of rows.
void HorizontalPassEmulated(const RgbImage& source, int channels, const AxisTaps& taps,
                            PaddedRaster& out, const ResampleCheckpoint& checkpoint);
void HorizontalPassFma3(const RgbImage& source, int channels, const AxisTaps& taps,
                        PaddedRaster& out, const ResampleCheckpoint& checkpoint);
// Vertical pass: the intermediate's rows through the height axis's lists into destination.
// With channels 1 each one-channel result row is copied into all three channels.
void VerticalPassEmulated(const PaddedRaster& in, int channels, const AxisTaps& taps,
                          RgbImage& destination, const ResampleCheckpoint& checkpoint);
void VerticalPassFma3(const PaddedRaster& in, int channels, const AxisTaps& taps,
                      RgbImage& destination, const ResampleCheckpoint& checkpoint);

// Spreads the first width bytes of row over width pixels of three equal channels, in place.
void SpreadGrayRow(uint8_t* row, size_t width);

// ResampleImage with a chosen path, so tests can hold the two against each other.
void ResampleImageUsing(AccumulatePath path, const RgbImage& source, RgbImage& destination,
                        FilterFunction filter, float support,
                        const ResampleCheckpoint& checkpoint = {});
void ResampleImageUsing(AccumulatePath path, const RgbImage& source, RgbImage& destination,
                        FilterFunction filter, float support, ResampleScratch& scratch,
                        const ResampleCheckpoint& checkpoint = {});

}  // namespace tamsolo
