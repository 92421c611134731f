#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "resample/axis_taps.h"
#include "resample/filters.h"

namespace tamsolo {

// The tap lists of the last few axes a thread scaled, so that image after image of the same
// sizes (most of a volume) computes its lists once: every weight is a filter evaluation in
// extended precision, which for a small image costs more than all its multiply-adds.
class TapCache {
 public:
  // The lists AxisTaps(sourceLength, destinationLength, filter, support) holds, computed on
  // first use. The reference stays valid until a later call has made kEntries other sets.
  const AxisTaps& Get(int32_t sourceLength, int32_t destinationLength, FilterFunction filter,
                      float support);

  static constexpr size_t kEntries = 4;

 private:
  struct Entry {
    int32_t sourceLength;
    int32_t destinationLength;
    FilterFunction filter;
    float support;
    std::unique_ptr<const AxisTaps> taps;
  };
  std::vector<Entry> entries_;  // the most recently used first
};

}  // namespace tamsolo
