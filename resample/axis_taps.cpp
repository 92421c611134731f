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

float AxisScale(int32_t sourceLength, int32_t destinationLength) {
  X87ExtendedPrecision precision;
  if (sourceLength == 1)
    return static_cast<float>(static_cast<Ext>(destinationLength) / sourceLength);
  return static_cast<float>(static_cast<Ext>(destinationLength - 1) / (sourceLength - 1));
}

AxisTaps::AxisTaps(int32_t sourceLength, int32_t destinationLength, FilterFunction filter,
                   float support) {
  if (sourceLength < 1 || destinationLength < 0)
    throw Error("Invalid resampling size");
  if (destinationLength == 0)
    return;
  X87ExtendedPrecision precision;
  scale_ = AxisScale(sourceLength, destinationLength);
  if (scale_ == 0)
    throw Error("Cannot resample to a single pixel from a larger source");
  shrinking_ = scale_ < 1;
  halfWidth_ = support;
  if (shrinking_) {
    halfWidth_ = static_cast<float>(static_cast<Ext>(support) / scale_);
    fscale_ = static_cast<float>(1.0L / scale_);
  }
  const Ext capacity = std::trunc(2.0L * halfWidth_ + 1.0L);
  if (capacity > INT32_MAX / 2)
    throw Error("Resampling window too wide");
  capacity_ = static_cast<int32_t>(capacity);
  starts_.reserve(static_cast<size_t>(destinationLength) + 1);
  for (int32_t i = 0; i < destinationLength; ++i)
    AddList(i, sourceLength, filter);
}

void AxisTaps::AddList(int32_t i, int32_t sourceLength, FilterFunction filter) {
  const Ext center = static_cast<float>(static_cast<Ext>(i) / scale_);
  const auto left = static_cast<int64_t>(std::floor(center - halfWidth_));
  const auto right = static_cast<int64_t>(std::ceil(center + halfWidth_));
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
    taps_.push_back({ReflectIndex(j, sourceLength), weight});
  }
  starts_.push_back(static_cast<int32_t>(taps_.size()));
  maxCount_ = std::max(maxCount_, count);
}

}  // namespace tamsolo
