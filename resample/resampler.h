#pragma once

#include <functional>

#include "resample/filters.h"
#include "resample/resample_passes.h"
#include "image/rgb_image.h"

namespace tamsolo {

inline constexpr const char* kOneRowSourceText =
    "Source bitmap only one row high: no distance between rows to scale with";

// Scales source into destination, whose size the caller has set, with a separable filter:
// a horizontal pass into an 8-bit intermediate image, then a vertical pass. Throws
// Error("Source bitmap too small") for an empty source, and Error for a one-row source (its
// vertical pass has no row stride), leaving the destination unwritten.
// Sets x87 extended precision for its own arithmetic, whatever mode the calling thread has.
// A destination of width or height 0 is left as it is; a destination length of 1 from a
// longer source throws Error (its scale factor would be 0).
// checkpoint, when set, is called between bands of a few rows, so that a large image can be
// given up part-way: what it throws ends the scaling, the destination left part-written.
void ResampleImage(const RgbImage& source, RgbImage& destination, FilterFunction filter,
                   float support, const ResampleCheckpoint& checkpoint = {});

// The same, keeping the intermediate's buffer and the tap lists in scratch for the next call:
// a thread scaling many images reuses them instead of making them again each time.
void ResampleImage(const RgbImage& source, RgbImage& destination, FilterFunction filter,
                   float support, ResampleScratch& scratch,
                   const ResampleCheckpoint& checkpoint = {});

}  // namespace tamsolo
