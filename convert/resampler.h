#pragma once

#include "convert/filters.h"
#include "convert/rgb_image.h"

namespace tamsolo {

// Scales source into destination, whose size the caller has set, with a separable filter:
// a horizontal pass into an 8-bit intermediate image, then a vertical pass. Throws
// Error("Source bitmap too small") for an empty source, and Error for a one-row source (its
// vertical pass has no row stride), leaving the destination unwritten.
// The caller's thread must compute in x87 extended precision (see X87ExtendedPrecision).
void ResampleImage(const RgbImage& source, RgbImage& destination, FilterFunction filter,
                   float support);

}  // namespace tamsolo
