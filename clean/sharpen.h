#pragma once

#include <array>
#include <cstdint>

#include "clean/box.h"
#include "clean/luma_plane.h"

namespace tamsolo {

// How steep the strong edges in box are: over every edge whose two-pixel step along a row is at
// least half the range, the larger one-pixel step divided by the two-pixel step, averaged over
// every fourth row.
// Crisp print gives about 0.87; the mild blur of a scanner's optics about 0.6.
// The lumas are read through curve, the levels the page is about to get.
double EdgeSteepness(const LumaPlane& plane, const ContentBox& box,
                     const std::array<uint8_t, 256>& curve);

// The sharpening that restores a steepness: none for crisp pages, up to kMostSharpening for
// the blur of a scan, in proportion between.
inline constexpr double kMostSharpening = 0.5;
double SharpeningFor(double steepness);

// Maps box through curve and sharpens it in place with -amount, 1 + 2 amount, -amount across
// and then down, each pass rounded and clamped. The curve is the levels that make paper white
// and ink black, so that the noise on the paper and in solid ink is clipped rather than
// strengthened; it is applied as the rows are read, which saves a pass.
void Sharpen(LumaPlane& plane, const ContentBox& box, const std::array<uint8_t, 256>& curve,
             double amount);

}  // namespace tamsolo
