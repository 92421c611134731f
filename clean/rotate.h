#pragma once

#include "clean/luma_plane.h"

namespace tamsolo {

// The straight picture of a scan whose content is turned by degrees (the angle EstimateSkew
// gives): the same size, each pixel centre s sampled at c + R(degrees) (s - c) about the centre c.
// The turn is made as three shears (across, down, across), each resampled by cubic convolution
// (Keys, a = -1/2) with weights fixed along a row or column, so it takes one more plane-sized
// buffer and runs in straight loops. Points off the scan take the nearest edge pixel, so the
// corners repeat the scanner bed rather than add a new border. A zero turn keeps every byte.
LumaPlane Rotated(LumaPlane plane, double degrees);

}  // namespace tamsolo
