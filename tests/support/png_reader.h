#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamsolo::testing {

// A PNG file's samples read with zlib's inflate alone, never through the product's decoder
// (which maps samples to its own palette): IHDR, PLTE and the unfiltered rows of a
// non-interlaced image. Throws std::runtime_error on anything else.
struct PngSamples {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bitDepth = 0;
  uint8_t colorType = 0;
  std::vector<uint8_t> palette;  // PLTE as stored: red, green, blue per entry
  std::vector<uint8_t> rows;     // height rows of RowBytes() each, filter bytes removed

  size_t RowBytes() const;
  // The byte at column x of row y, for 8-bit single-sample images (palette indices).
  uint8_t At(uint32_t x, uint32_t y) const { return rows[static_cast<size_t>(y) * RowBytes() + x]; }
};

PngSamples ReadPngSamples(const std::vector<uint8_t>& file);

}  // namespace tamsolo::testing
