#pragma once

#include <cstddef>
#include <cstdint>

namespace tamsolo {

enum PngColorType : uint8_t {
  kPngGray = 0,
  kPngRgb = 2,
  kPngPalette = 3,
  kPngGrayAlpha = 4,
  kPngRgbAlpha = 6,
};

// The image header fields a decode uses.
struct PngHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bitDepth = 0;
  uint8_t colorType = 0;
  uint8_t interlace = 0;
};

// Samples per pixel, or 0 for a colour type the PNG standard does not define.
constexpr int PngChannels(uint8_t colorType) {
  switch (colorType) {
    case kPngGray:
    case kPngPalette:
      return 1;
    case kPngGrayAlpha:
      return 2;
    case kPngRgb:
      return 3;
    case kPngRgbAlpha:
      return 4;
    default:
      return 0;
  }
}

// The colour type and bit depth pairs the PNG standard allows.
constexpr bool IsAllowedPngFormat(uint8_t colorType, uint8_t bitDepth) {
  switch (colorType) {
    case kPngGray:
      return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case kPngPalette:
      return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case kPngRgb:
    case kPngGrayAlpha:
    case kPngRgbAlpha:
      return bitDepth == 8 || bitDepth == 16;
    default:
      return false;
  }
}

constexpr size_t PngBitsPerPixel(const PngHeader& header) {
  return static_cast<size_t>(PngChannels(header.colorType)) * header.bitDepth;
}

// Bytes of one filtered row of the given width, without its filter-type byte.
constexpr uint64_t PngRowBytes(const PngHeader& header, uint64_t width) {
  return (width * PngBitsPerPixel(header) + 7) / 8;
}

// The distance in bytes to the corresponding byte of the pixel on the left, at least 1.
constexpr size_t PngFilterDistance(const PngHeader& header) {
  const size_t bytes = PngBitsPerPixel(header) / 8;
  return bytes == 0 ? 1 : bytes;
}

}  // namespace tamsolo
