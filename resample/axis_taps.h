#pragma once

#include <cstdint>
#include <vector>

#include "resample/filters.h"

namespace tamsolo {

// One source sample feeding one destination sample; the index is already inside the image and
// the weight is never exactly 0.
struct Tap {
  int32_t index;
  float weight;
};

// The taps of one destination sample in the order they were found (increasing unreflected
// source index), which is also the order in which they are summed.
struct TapList {
  const Tap* taps;
  int32_t count;

  const Tap* begin() const { return taps; }
  const Tap* end() const { return taps + count; }
};

// The scale factor of one axis as a float32: (D - 1) / (S - 1), or D / S when S is 1, so the
// centres of the first and the last samples of source and destination fall on each other.
float AxisScale(int32_t sourceLength, int32_t destinationLength);

// The tap lists of every destination sample along one axis, computed once per pass. Throws
// Error for a destination length of 1 from a longer source (its scale would be 0).
class AxisTaps {
 public:
  AxisTaps(int32_t sourceLength, int32_t destinationLength, FilterFunction filter, float support);

  float Scale() const { return scale_; }
  // The window half-width w: support / scale when shrinking, support otherwise.
  float HalfWidth() const { return halfWidth_; }
  // trunc(2w + 1): no list holds more taps than this.
  int32_t Capacity() const { return capacity_; }
  // Number of lists, one per destination sample.
  int32_t Size() const { return static_cast<int32_t>(starts_.size()) - 1; }
  int32_t MaxCount() const { return maxCount_; }
  TapList operator[](int32_t i) const {
    const int32_t* start = starts_.data() + i;
    return {taps_.data() + start[0], start[1] - start[0]};
  }

 private:
  void AddList(int32_t i, int32_t sourceLength, FilterFunction filter);

  float scale_ = 0;
  float halfWidth_ = 0;
  float fscale_ = 1;
  bool shrinking_ = false;
  int32_t capacity_ = 0;
  int32_t maxCount_ = 0;
  std::vector<Tap> taps_;
  std::vector<int32_t> starts_{0};
};

}  // namespace tamsolo
