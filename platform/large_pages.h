#pragma once

#include <cstddef>

namespace tamsolo {

// Buffers from this size on are placed so that the system can back them with large pages.
inline constexpr size_t kLargePageBytes = size_t{2} << 20;

// Asks the system to back the untouched memory at start (aligned to kLargePageBytes) with large
// pages where it does so without privileges: filling fresh memory a small page at a time costs
// a fault per page, which for an entry of tens of MiB costs more than copying it. A hint only.
void AdviseLargePages(void* start, size_t bytes) noexcept;

}  // namespace tamsolo
