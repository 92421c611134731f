#pragma once

#include <cstdint>
#include <filesystem>
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

// The shade of a large image's pixel (x, y) in channel c: blocks of 64 pixels whose shades
// change from block to block, so the file compresses well and still decodes slowly.
uint8_t LargeImageShade(int x, int y, int c);

// A large JPEG of LargeImageShade, gray or RGB, compressed row by row (the image is never held
// whole) and written to path: quick to make, slow to decode (libjpeg's one-pass quantiser
// dithers every pixel). Throws std::runtime_error on failure.
void WriteLargeJpeg(const std::filesystem::path& path, int width, int height, bool gray,
                    bool progressive = false);

}  // namespace tamsolo::testing
