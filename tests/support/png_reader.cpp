#include "support/png_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include <zlib.h>

namespace tamsolo::testing {
namespace {

uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

int Channels(uint8_t colorType) {
  return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& packed, size_t size) {
  std::vector<uint8_t> out(size);
  uLongf length = static_cast<uLongf>(size);
  if (uncompress(out.data(), &length, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
      length != size)
    throw std::runtime_error("PNG image data does not inflate to its size");
  return out;
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

void Unfilter(uint8_t type, uint8_t* row, const uint8_t* prior, size_t size, size_t bpp) {
  for (size_t i = 0; i < size; ++i) {
    const int a = i >= bpp ? row[i - bpp] : 0;
    const int b = prior ? prior[i] : 0;
    const int c = i >= bpp && prior ? prior[i - bpp] : 0;
    const int predictors[5] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
    if (type > 4)
      throw std::runtime_error("unknown PNG filter type " + std::to_string(type));
    row[i] = static_cast<uint8_t>(row[i] + predictors[type]);
  }
}

}  // namespace

size_t PngSamples::RowBytes() const {
  return (static_cast<size_t>(width) * Channels(colorType) * bitDepth + 7) / 8;
}

PngSamples ReadPngSamples(const std::vector<uint8_t>& file) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0)
    throw std::runtime_error("not a PNG file");
  PngSamples png;
  std::vector<uint8_t> packed;
  for (size_t at = 8; at + 12 <= file.size();) {
    const uint32_t length = Be32(&file[at]);
    const std::string type(file.begin() + at + 4, file.begin() + at + 8);
    const uint8_t* data = &file[at + 8];
    if (type == "IHDR") {
      png.width = Be32(data);
      png.height = Be32(data + 4);
      png.bitDepth = data[8];
      png.colorType = data[9];
      if (data[12] != 0)
        throw std::runtime_error("interlaced PNG");
    } else if (type == "PLTE") {
      png.palette.assign(data, data + length);
    } else if (type == "IDAT") {
      packed.insert(packed.end(), data, data + length);
    }
    at += 12 + length;
  }
  const size_t rowBytes = png.RowBytes();
  const std::vector<uint8_t> raw = Inflate(packed, (rowBytes + 1) * png.height);
  const size_t bpp = std::max<size_t>(1, Channels(png.colorType) * png.bitDepth / 8);
  png.rows.resize(rowBytes * png.height);
  for (uint32_t y = 0; y < png.height; ++y) {
    uint8_t* row = &png.rows[y * rowBytes];
    std::memcpy(row, &raw[y * (rowBytes + 1) + 1], rowBytes);
    Unfilter(raw[y * (rowBytes + 1)], row, y ? row - rowBytes : nullptr, rowBytes, bpp);
  }
  return png;
}

}  // namespace tamsolo::testing
