#include "support/sample_images.h"

#include "support/jpeg_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace tamsolo::testing {
namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutBe(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 3; i >= 0; --i)
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> EncodeBmp(const RgbImage& image) {
  const uint32_t stride = (static_cast<uint32_t>(image.Width()) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = stride * static_cast<uint32_t>(image.Height());
  std::vector<uint8_t> out = {'B', 'M'};
  PutLe(out, 54 + pixelBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(image.Width()), 4);
  PutLe(out, static_cast<uint32_t>(image.Height()), 4);
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);
  PutLe(out, pixelBytes, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int y = image.Height() - 1; y >= 0; --y) {
    const uint8_t* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) {
      out.push_back(row[3 * x + 2]);
      out.push_back(row[3 * x + 1]);
      out.push_back(row[3 * x]);
    }
    out.resize(out.size() + (stride - static_cast<uint32_t>(image.Width()) * 3), 0);
  }
  return out;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBe(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBe(out,
        static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

std::vector<uint8_t> EncodePng(const RgbImage& image) {
  std::vector<uint8_t> raw;
  raw.reserve((image.Stride() + 1) * static_cast<size_t>(image.Height()));
  for (int y = 0; y < image.Height(); ++y) {
    raw.push_back(0);  // filter type None
    raw.insert(raw.end(), image.Row(y), image.Row(y) + image.Stride());
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
    throw std::runtime_error("compress2 failed");
  packed.resize(packedSize);
  std::vector<uint8_t> header;
  PutBe(header, static_cast<uint32_t>(image.Width()));
  PutBe(header, static_cast<uint32_t>(image.Height()));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter 0, no interlace
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace

RgbImage MakeSamplePage(int width, int height, int seed) {
  RgbImage image(width, height);
  const int margin = std::max(4, width / 24);
  const int rows = 3 + seed % 2;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.Row(y);
    const int panel = (y - margin) * rows / std::max(1, height - 2 * margin);
    for (int x = 0; x < width; ++x) {
      uint8_t value = 255;
      const bool inside = x >= margin && x < width - margin && y >= margin && y < height - margin;
      if (inside) {
        const int panelTop = margin + panel * (height - 2 * margin) / rows;
        const bool border = y - panelTop < 4 || x - margin < 4 || width - margin - x <= 4 ||
                            height - margin - y <= 4 || (x % (width / 2 + 1)) < 3;
        value = border ? 0 : static_cast<uint8_t>(96 + (seed * 53 + panel * 37 + x / 16) % 150);
      }
      row[3 * x] = value;
      row[3 * x + 1] = value;
      row[3 * x + 2] = static_cast<uint8_t>(std::min(255, value + (inside ? 8 : 0)));
    }
  }
  return image;
}

void WriteImageFile(const std::string& path, const RgbImage& image, SampleFormat format) {
  const std::vector<uint8_t> bytes = format == SampleFormat::Bmp ? EncodeBmp(image)
                                     : format == SampleFormat::Png
                                         ? EncodePng(image)
                                         : EncodeJpeg(image, {.quality = 90});
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file.flush())
    throw std::runtime_error("cannot write " + path);
}

SampleFormat SampleFormatFor(const std::string& path) {
  std::string extension = path.substr(std::min(path.size(), path.rfind('.')));
  for (char& c : extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".bmp")
    return SampleFormat::Bmp;
  if (extension == ".png")
    return SampleFormat::Png;
  return SampleFormat::Jpeg;
}

}  // namespace tamsolo::testing
