#pragma once

#include <cstdint>

namespace tamsolo {

// Rows of the scaled image, and of picture on a page; rows below them are a white band.
inline constexpr int32_t kScaledHeight = 1008;

// Width of a width x height source scaled to 1008 rows: the quotient 1008 / height, then times
// width, each rounded to a 64-bit mantissa (ties to even); floored, and made even by adding 1
// when odd. 1400 x 1920 gives 734 where exact arithmetic would give 736. Returns 0 when either
// size is 0 or negative. Sets extended precision itself, whatever the calling thread's mode.
int64_t ScaledWidth(int64_t width, int64_t height);

}  // namespace tamsolo
