#pragma once

#include <cstdint>

namespace tamsolo {

// What one decode may allocate in all, unless the caller says otherwise.
inline constexpr uint64_t kDefaultDecodeMemoryLimit = uint64_t{1} << 30;

// Throws Error("Image too large ...") when bytes exceed limit; call before allocating.
void CheckDecodeBudget(uint64_t bytes, uint64_t limit);

// Bytes of an RgbImage of the given size, computed in 64 bits (no overflow for 32-bit sizes).
inline uint64_t RgbImageBytes(uint64_t width, uint64_t height) {
  return width * height * 3;
}

}  // namespace tamsolo
