#include "support/sample_images.h"

#include <cstdio>
#include <algorithm>
#include <cctype>
#include <vector>

#include "support/bmp_writer.h"
#include "support/jpeg_encoder.h"
#include "image/png_writer.h"
#include "support/temp_folder.h"

namespace tamsolo::testing {
namespace {

std::vector<uint8_t> EncodeBmp(const RgbImage& image) {
  std::vector<std::vector<uint8_t>> rows;
  for (int y = image.Height() - 1; y >= 0; --y) {  // bottom row first, blue, green, red
    std::vector<uint8_t>& row = rows.emplace_back();
    for (int x = 0; x < image.Width(); ++x) {
      const Rgb c = PixelAt(image, x, y);
      row.insert(row.end(), {c[2], c[1], c[0]});
    }
  }
  std::vector<uint8_t> pixels = PadRows(rows);
  const auto imageSize = static_cast<uint32_t>(pixels.size());
  return WriteBmp(
      Bmp(image.Width(), image.Height()).ImageSize(imageSize).Pixels(std::move(pixels)));
}

std::vector<uint8_t> EncodePng(const RgbImage& image) {
  RawPng png;
  png.width = static_cast<uint32_t>(image.Width());
  png.height = static_cast<uint32_t>(image.Height());
  png.sample = [&image](uint32_t x, uint32_t y, int c) -> uint16_t {
    return image.Row(static_cast<int>(y))[3 * x + static_cast<uint32_t>(c)];
  };
  return MakePng(png);
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
  WriteFileBytes(path, bytes);
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

std::string WriteSampleFile(const std::filesystem::path& path, int width, int height, int seed) {
  std::filesystem::create_directories(path.parent_path());
  const std::string native = std::filesystem::path(path).make_preferred().string();
  WriteImageFile(native, MakeSamplePage(width, height, seed), SampleFormatFor(native));
  return native;
}

void WriteSampleVolume(const std::string& root) {
  struct Sample {
    const char* path;
    int width;
    int height;
  };
  // 1600 rows scale to 1008: 1200 columns give one page, 2400 two and 3600 three.
  constexpr Sample kSamples[] = {
      {"vol1/001.jpg", 1200, 1600}, {"vol1/002.jpg", 2400, 1600}, {"vol1/003.png", 3600, 1600},
      {"vol1/004.jpg", 1200, 1600}, {"vol2/001.bmp", 1200, 1600}, {"vol2/002.jpg", 1200, 1600},
      {"vol2/003.jpg", 2400, 1600}, {"vol2/004.jpg", 1200, 1600},
  };
  int seed = 0;
  for (const Sample& sample : kSamples)
    WriteSampleFile(std::filesystem::path(root) / sample.path, sample.width, sample.height, ++seed);
}

void WriteBenchmarkVolume(const std::string& root) {
  for (int i = 0; i < 100; ++i) {
    const char* extension = i % 10 == 3 ? ".png" : i % 10 == 7 ? ".bmp" : ".jpg";
    char name[64];
    std::snprintf(name, sizeof name, "vol%d/%03d%s", i / 25 + 1, i + 1, extension);
    const bool large = i % 5 == 4 || i >= 96;
    const int width = large ? 4800 : i % 3 == 0 ? 1200 : 2400;
    const int height = large ? 3400 : i % 3 == 0 ? 1700 : 3400;
    WriteSampleFile(std::filesystem::path(root) / name, width, height, i + 1);
  }
}

}  // namespace tamsolo::testing
