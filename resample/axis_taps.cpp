#include "resample/axis_taps.h"

#include <algorithm>
#include <cmath>

#include "platform/error.h"
#include "platform/x87_precision.h"

namespace tamsolo {
namespace {

using Ext = long double;

// Reflects a window position into 0..length-1: about the first sample (which is not
// repeated) below the image, about the outer border of the last sample (which is) above it.
// Where one reflection is not enough (lengths of 1 or 2 with wide filters) the index is
// clamped, so nothing outside the image is ever read.
int32_t ReflectIndex(int64_t j, int32_t length) {
  int64_t n = j;
  if (j < 0)
    n = -j;
  else if (j >= length)
    n = 2 * static_cast<int64_t>(length) - 1 - j;
  return static_cast<int32_t>(std::clamp<int64_t>(n, 0, length - 1));
}

}  // namespace

float AxisScale(int32_t source_length, int32_t destination_length) {
  X87ExtendedPrecision precision;
  if (source_length == 1)
    return static_cast<float>(static_cast<Ext>(destination_length) / source_length);
  return static_cast<float>(static_cast<Ext>(destination_length - 1) / (source_length - 1));
}

AxisTaps::AxisTaps(int32_t source_length, int32_t destination_length, FilterFunction filter,
                   float support) {
  if (source_length < 1 || destination_length < 0)
    throw Error("Invalid resampling size");
  if (destination_length == 0)
    return;
  X87ExtendedPrecision precision;
  scale_ = AxisScale(source_length, destination_length);
  if (scale_ == 0)
    throw Error("Cannot resample to a single pixel from a larger source");
  shrinking_ = scale_ < 1;
  half_width_ = support;
  if (shrinking_) {
    half_width_ = static_cast<float>(static_cast<Ext>(support) / scale_);
    fscale_ = static_cast<float>(1.0L / scale_);
  }
  const Ext capacity = std::trunc(2.0L * half_width_ + 1.0L);
  if (capacity > INT32_MAX / 2)
    throw Error("Resampling window too wide");
  capacity_ = static_cast<int32_t>(capacity);
  starts_.reserve(static_cast<size_t>(destination_length) + 1);
  for (int32_t i = 0; i < destination_length; ++i)
    AddList(i, source_length, filter);
}

void AxisTaps::AddList(int32_t i, int32_t source_length, FilterFunction filter) {
  const Ext center = static_cast<float>(static_cast<Ext>(i) / scale_);
  const auto left = static_cast<int64_t>(std::floor(center - half_width_));
  const auto right = static_cast<int64_t>(std::ceil(center + half_width_));
  int32_t count = 0;
  for (int64_t j = left; j <= right; ++j) {
    float weight;
    if (shrinking_) {
      const auto argument = static_cast<float>((center - static_cast<Ext>(j)) / fscale_);
      weight = static_cast<float>(static_cast<Ext>(filter(argument)) / fscale_);
    } else {
      weight = filter(static_cast<float>(center - static_cast<Ext>(j)));
    }
    if (weight == 0)
      continue;
    // The window never yields more; the check keeps a rounding surprise from going unseen.
    if (++count > capacity_)
      throw Error("Resampling window exceeds its tap capacity");
    if (taps_.size() >= INT32_MAX)
      throw Error("Resampling window too wide");
    taps_.push_back({ReflectIndex(j, source_length), weight});
  }
  starts_.push_back(static_cast<int32_t>(taps_.size()));
  max_count_ = std::max(max_count_, count);
}

}  // namespace tamsolo
