#pragma once

#include <cstdint>
#include <vector>

#include "image/rgb_image.h"

namespace tamsolo::testing {

struct JpegOptions {
  int quality = 95;
  bool progressive = false;
  int restartRows = 0;          // a restart marker every so many rows of blocks; 0 for none
  bool subsampleChroma = true;  // libjpeg's default 2 x 2 luma blocks per chroma block
};

// A three-component (YCbCr) JPEG of image, made with libjpeg's compressor in memory.
std::vector<uint8_t> EncodeJpeg(const RgbImage& image, const JpegOptions& options = {});
// A one-component JPEG of the red channel of image.
std::vector<uint8_t> EncodeGrayJpeg(const RgbImage& image, const JpegOptions& options = {});
// A four-component (CMYK) JPEG; the red channel of image gives every component.
std::vector<uint8_t> EncodeCmykJpeg(const RgbImage& image);

}  // namespace tamsolo::testing
