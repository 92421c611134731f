#include "support/sample_images.h"

#include <cstdio>
#include <fstream>
#include <algorithm>
#include <cctype>
#include <vector>

#include "support/bmp_writer.h"
#include "support/jpeg_encoder.h"
#include "support/rgb_image_maker.h"
#include "support/scan_simulator.h"
#include "image/png_writer.h"
#include "support/temp_folder.h"
#include "support/webp_encoder.h"

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

std::vector<uint8_t> EncodePng(const RgbImage& image, bool gray = false) {
  RawPng png;
  png.width = static_cast<uint32_t>(image.Width());
  png.height = static_cast<uint32_t>(image.Height());
  png.colorType = gray ? 0 : 2;
  png.sample = [&image](uint32_t x, uint32_t y, int c) -> uint16_t {
    return image.Row(static_cast<int>(y))[3 * x + static_cast<uint32_t>(c)];
  };
  return MakePng(png);
}

uint32_t Noise(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  return h ^ h >> 13;
}

// One panel's content, by kind: screentone dots, a gradient, text strokes on white, a flat
// shade. colour tints the gradient (a sky) and the flat shade.
Rgb PanelPixel(int kind, int x, int y, int height, bool colour) {
  switch (kind % 4) {
    case 0: {
      const bool dot = (x % 6 - 3) * (x % 6 - 3) + (y % 6 - 3) * (y % 6 - 3) < 5;
      const auto v = static_cast<uint8_t>(dot ? 70 : 232);
      return {v, v, v};
    }
    case 1: {
      const auto v = static_cast<uint8_t>(100 + 130 * y / std::max(1, height));
      return colour ? Rgb{uint8_t(v / 2), uint8_t(v - 20), v} : Rgb{v, v, v};
    }
    case 2: {
      const bool stroke = y % 40 < 3 && x % 200 < 150 + (y / 40) % 50;
      const auto v = static_cast<uint8_t>(stroke ? 15 : 250);
      return {v, v, v};
    }
    default:
      return colour ? Rgb{200, 170, 150} : Rgb{180, 180, 180};
  }
}

// A made-up page of a scanned book: off-white paper with scanner noise, a grid of panels with
// black borders and manga content; colour tints some panels.
RgbImage MakeScanPage(int width, int height, int pages, int seed, bool colour) {
  const int cellWidth = std::max(1, width / (2 * pages)), cellHeight = std::max(1, height / 4);
  return MakeRgbImage(width, height, [=](int x, int y) {
    const int cx = x % cellWidth, cy = y % cellHeight;
    const int noise = static_cast<int>(Noise(uint32_t(x), uint32_t(y), uint32_t(seed)) % 9) - 4;
    Rgb pixel{244, 242, 238};
    if (cx < 12 || cy < 12 || cx >= cellWidth - 12 || cy >= cellHeight - 12) {
      // the gutter between panels
    } else if (cx < 16 || cy < 16 || cx >= cellWidth - 16 || cy >= cellHeight - 16) {
      pixel = {20, 20, 20};
    } else {
      pixel = PanelPixel(seed + x / cellWidth + y / cellHeight * 3, cx, cy, cellHeight, colour);
    }
    for (uint8_t& channel : pixel)
      channel = static_cast<uint8_t>(std::clamp(channel + noise, 0, 255));
    return pixel;
  });
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
  const std::vector<uint8_t> bytes = format == SampleFormat::Bmp   ? EncodeBmp(image)
                                     : format == SampleFormat::Png ? EncodePng(image)
                                     : format == SampleFormat::Webp
                                         ? EncodeWebp(image, true)
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
  if (extension == ".webp")
    return SampleFormat::Webp;
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

void WriteScanVolume(const std::string& root) {
  struct Shape {
    int height, pages, firstWidth, widthRange;
  };
  // Singles and spreads of 2 and 3 pages at about 1700 and 3400 rows, so that 44 files are
  // 1000-1999 wide, 44 are 2000-2999 and 12 are 3000-4900; 21 spreads.
  const auto shapeOf = [](int k) -> Shape {
    return k < 44   ? Shape{1700, 1, 1000, 250}
           : k < 79 ? Shape{3400, 1, 2000, 500}
           : k < 88 ? Shape{1700, 2, 2000, 500}
           : k < 94 ? Shape{1700, 3, 3000, 750}
                    : Shape{3400, 2, 3000, 1900};
  };
  for (int i = 0; i < 100; ++i) {
    const Shape shape = shapeOf(i * 37 % 100);
    const int width = shape.firstWidth + i * 7919 % shape.widthRange;
    const int height = shape.height - i % 3 * 8;
    // 28 gray JPEGs, 44 three-component JPEGs (22 of gray content), 14 gray and 6 colour
    // PNGs, 8 BMPs.
    const int kind = (i * 61 + 7) % 100;
    const bool colour = (kind >= 50 && kind < 72) || kind >= 86;
    const RgbImage page = MakeScanPage(width, height, shape.pages, i, colour);
    const char* extension = kind < 72 ? ".jpg" : kind < 92 ? ".png" : ".bmp";
    char name[64];
    std::snprintf(name, sizeof name, "vol%d/%03d%s", i / 25 + 1, i + 1, extension);
    const std::filesystem::path path = std::filesystem::path(root) / name;
    std::filesystem::create_directories(path.parent_path());
    WriteFileBytes(path.string(), kind < 28   ? EncodeGrayJpeg(page, {.quality = 90})
                                  : kind < 72 ? EncodeJpeg(page, {.quality = 90})
                                  : kind < 92 ? EncodePng(page, kind < 86)
                                              : EncodeBmp(page));
  }
}

void WriteDegradedScans(const std::string& root, int count, int first) {
  std::filesystem::create_directories(root);
  for (int i = first; i < first + count; ++i) {
    const auto seed = static_cast<uint32_t>(i);
    const Bleed bleed = i % 4 == 0 ? Bleed::Left : Bleed::None;
    const Scan scan =
        SimulateScan(MakeCleanPage(seed, {i % 3 == 0, bleed}), RandomScanSetup(seed, bleed), seed);
    char name[32];
    std::snprintf(name, sizeof name, "scan%02d.jpg", i);
    std::ofstream(std::filesystem::path(root) / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(scan.jpeg.data()),
               static_cast<std::streamsize>(scan.jpeg.size()));
  }
}

}  // namespace tamsolo::testing
