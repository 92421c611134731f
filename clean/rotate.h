#pragma once

#include "image/rgb_image.h"

namespace tamsolo {

// The straight picture of a scan whose content is turned by degrees (the angle EstimateSkew
// gives): the same size, each pixel centre s sampled at c + R(degrees) (s - c) about the centre c
// by cubic convolution (Keys, a = -1/2) over 4 x 4 pixels. Points off the scan take the nearest
// edge pixel, so the corners repeat the scanner bed rather than add a new border. A known gray
// image is sampled on one channel.
RgbImage Rotated(const RgbImage& image, double degrees);

}  // namespace tamsolo
