#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "support/rgb_image_maker.h"

namespace tamsolo::testing {

// The fields of a BMP file, written one by one so tests can make any form, also lying ones.
struct BmpFields {
  uint32_t headerSize = 40;  // 12 writes the OS/2 form; 52 and more hold the masks inside
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  uint32_t colorsUsed = 0;
  std::vector<Rgb> palette;                      // 3-byte entries for the OS/2 form, else 4
  std::optional<std::array<uint32_t, 3>> masks;  // red, green, blue
  std::vector<uint8_t> pixels;                   // exactly as stored
  std::optional<uint32_t> pixelOffset;           // default: right after the palette

  BmpFields& Header(uint32_t size) { return Set(headerSize, size); }
  BmpFields& Planes(uint16_t count) { return Set(planes, count); }
  BmpFields& Compression(uint32_t kind) { return Set(compression, kind); }
  BmpFields& ImageSize(uint32_t size) { return Set(imageSize, size); }
  BmpFields& ColorsUsed(uint32_t count) { return Set(colorsUsed, count); }
  BmpFields& Palette(std::vector<Rgb> entries) { return Set(palette, std::move(entries)); }
  BmpFields& Masks(uint32_t red, uint32_t green, uint32_t blue) {
    masks = std::array<uint32_t, 3>{red, green, blue};
    return *this;
  }
  BmpFields& Pixels(std::vector<uint8_t> bytes) { return Set(pixels, std::move(bytes)); }
  BmpFields& PixelOffset(uint32_t offset) { return Set(pixelOffset, offset); }

 private:
  template <typename T, typename V>
  BmpFields& Set(T& field, V&& value) {
    field = std::forward<V>(value);
    return *this;
  }
};

// A 40-byte-header BMP of the given size and bit count, no palette and no pixels yet.
inline BmpFields Bmp(int32_t width, int32_t height, uint16_t bitCount = 24) {
  BmpFields fields;
  fields.width = width;
  fields.height = height;
  fields.bitCount = bitCount;
  return fields;
}

std::vector<uint8_t> WriteBmp(const BmpFields& fields);

// Rows in storage order, each padded with zeros to a multiple of 4 bytes.
std::vector<uint8_t> PadRows(const std::vector<std::vector<uint8_t>>& rows);

}  // namespace tamsolo::testing
