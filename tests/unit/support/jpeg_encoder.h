#pragma once

#include <cstdint>
#include <vector>

#include "image/rgb_image.h"

namespace tamsolo::testing {

struct JpegOptions {
  int quality = 95;
  bool progressive = false;
};

// A three-component (YCbCr) JPEG of image, made with libjpeg's compressor in memory.
std::vector<uint8_t> EncodeJpeg(const RgbImage& image, const JpegOptions& options = {});
// A one-component JPEG of the red channel of image.
std::vector<uint8_t> EncodeGrayJpeg(const RgbImage& image, const JpegOptions& options = {});
// A four-component (CMYK) JPEG; the red channel of image gives every component.
std::vector<uint8_t> EncodeCmykJpeg(const RgbImage& image);

}  // namespace tamsolo::testing
