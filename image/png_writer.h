#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tamsolo {

// Builds PNG files chunk by chunk with zlib: the book preview, and the tests, benchmarks and
// fuzz seeds that need PNG files of every form.

// One chunk: length, type, data and a CRC-32 computed with zlib's crc32.
std::vector<uint8_t> PngChunkBytes(const std::string& type, std::span<const uint8_t> data);
// The PNG signature followed by the given chunks, in order.
std::vector<uint8_t> PngFileBytes(const std::vector<std::vector<uint8_t>>& chunks);
std::vector<uint8_t> IhdrData(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType,
                              uint8_t interlace = 0);
std::vector<uint8_t> BigEndian32(uint32_t value);
// Throws Error when zlib fails, or once stop (when given) returns true; a large image takes
// long enough to compress that a stop request must not wait for the end.
std::vector<uint8_t> ZlibCompress(std::span<const uint8_t> raw, int level = 6,
                                  const std::function<bool()>& stop = {});

// Picks a row's filter: return 0..4, or kAdaptiveFilter for the filter with the smallest sum of
// absolute differences (what encoders commonly do).
inline constexpr uint8_t kAdaptiveFilter = 255;
using FilterChoice = std::function<uint8_t(int pass, uint32_t row)>;

struct RawPng {
  uint32_t width = 1;
  uint32_t height = 1;
  uint8_t bitDepth = 8;
  uint8_t colorType = 2;
  bool interlaced = false;
  // Sample value (of bitDepth bits) of channel c of pixel (x, y).
  std::function<uint16_t(uint32_t x, uint32_t y, int c)> sample;
  FilterChoice filter = [](int, uint32_t) -> uint8_t { return 0; };
};

// The image data before compression: every pass's rows, each with its filter-type byte.
std::vector<uint8_t> FilteredImageData(const RawPng& image);

// Signature, IHDR, the extra chunks, one IDAT with the compressed image data, IEND.
std::vector<uint8_t> MakePng(const RawPng& image,
                             const std::vector<std::vector<uint8_t>>& chunksBeforeData = {});

}  // namespace tamsolo
