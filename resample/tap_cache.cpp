#include "resample/tap_cache.h"

#include <algorithm>

namespace tamsolo {

const AxisTaps& TapCache::Get(int32_t sourceLength, int32_t destinationLength,
                              FilterFunction filter, float support) {
  const auto same = [&](const Entry& entry) {
    return entry.sourceLength == sourceLength && entry.destinationLength == destinationLength &&
           entry.filter == filter && entry.support == support;
  };
  auto found = std::find_if(entries_.begin(), entries_.end(), same);
  if (found == entries_.end()) {
    // Made before anything changes, so that a throwing size leaves the cache as it was.
    auto taps = std::make_unique<const AxisTaps>(sourceLength, destinationLength, filter, support);
    if (entries_.size() == kEntries)
      entries_.pop_back();
    entries_.insert(entries_.begin(),
                    {sourceLength, destinationLength, filter, support, std::move(taps)});
    return *entries_.front().taps;
  }
  std::rotate(entries_.begin(), found, found + 1);
  return *entries_.front().taps;
}

}  // namespace tamsolo
