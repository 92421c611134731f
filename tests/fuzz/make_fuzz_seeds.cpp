// Writes the small seed corpus of the four decoder fuzz targets:
//   make_fuzz_seeds <folder>   ->  <folder>/png, <folder>/jpeg, <folder>/bmp, <folder>/webp
// Seeds are tiny on purpose: the fuzzer mutates them fastest, and they still reach every
// colour type, depth, compression and chunk kind the decoders know.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/archive_writer.h"
#include "support/bmp_writer.h"
#include "support/jpeg_encoder.h"
#include "image/png_writer.h"
#include "support/rgb_image_maker.h"
#include "support/temp_folder.h"
#include "support/webp_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;
using namespace tamsolo::testing;
using tamsolo::BigEndian32;
using tamsolo::FilteredImageData;
using tamsolo::IhdrData;
using tamsolo::MakePng;
using tamsolo::PngChunkBytes;
using tamsolo::RawPng;
using tamsolo::RgbImage;

void Write(const fs::path& path, const Bytes& bytes) {
  WriteFileBytes(path.string(), bytes);
}

uint16_t Pattern(uint32_t x, uint32_t y, int c, int depth) {
  const uint32_t v = (x * 37 + y * 91 + static_cast<uint32_t>(c) * 53) * 2654435761u >> 7;
  return static_cast<uint16_t>(v & ((1u << depth) - 1));
}

void WritePngSeeds(const fs::path& folder) {
  const std::pair<uint8_t, uint8_t> formats[] = {{0, 1}, {0, 2},  {0, 4},  {0, 8}, {0, 16},
                                                 {2, 8}, {2, 16}, {3, 1},  {3, 2}, {3, 4},
                                                 {3, 8}, {4, 8},  {4, 16}, {6, 8}, {6, 16}};
  Bytes plte;
  for (int i = 0; i < 16 * 3; ++i)
    plte.push_back(static_cast<uint8_t>(i * 17));
  for (const auto& [type, depth] : formats) {
    for (bool interlaced : {false, true}) {
      RawPng image;
      image.width = 7;
      image.height = 5;
      image.colorType = type;
      image.bitDepth = depth;
      image.interlaced = interlaced;
      const int d = depth;
      image.sample = [d](uint32_t x, uint32_t y, int c) { return Pattern(x, y, c, d); };
      image.filter = [](int pass, uint32_t row) {
        return static_cast<uint8_t>((row + static_cast<uint32_t>(pass)) % 5);
      };
      std::vector<Bytes> extra = {PngChunkBytes("gAMA", BigEndian32(45455))};
      if (type == 3)
        extra.push_back(PngChunkBytes("PLTE", plte));
      if (type == 3 || type == 0)
        extra.push_back(PngChunkBytes("tRNS", Bytes{0, 1}));
      extra.push_back(PngChunkBytes("tEXt", Bytes{'k', 0, 'v'}));
      const std::string name = "type" + std::to_string(type) + "_depth" + std::to_string(depth) +
                               (interlaced ? "_adam7" : "") + ".png";
      Write(folder / name, MakePng(image, extra));
      // The fuzz target's raw-rows form: 'R', the IHDR data, the uncompressed filtered rows.
      Bytes raw = {'R'};
      const Bytes ihdr = IhdrData(image.width, image.height, depth, type, interlaced ? 1 : 0);
      const Bytes rows = FilteredImageData(image);
      raw.insert(raw.end(), ihdr.begin(), ihdr.end());
      raw.insert(raw.end(), rows.begin(), rows.end());
      Write(folder / ("raw_" + name.substr(0, name.size() - 4) + ".bin"), raw);
    }
  }
}

// A 19 x 13 JPEG of the pattern, quality 75; a gray one takes the red channel.
Bytes JpegSeed(bool gray, JpegOptions options) {
  const int channels = gray ? 1 : 3;
  const RgbImage image = MakeRgbImage(19, 13, [channels](int x, int y) {
    Rgb c{};
    for (int i = 0; i < 3; ++i) {
      const auto at = static_cast<uint32_t>(x * channels + i);
      c[static_cast<size_t>(i)] = static_cast<uint8_t>(Pattern(at, static_cast<uint32_t>(y), 0, 8));
    }
    return c;
  });
  options.quality = 75;
  return gray ? EncodeGrayJpeg(image, options) : EncodeJpeg(image, options);
}

void WriteJpegSeeds(const fs::path& folder) {
  Write(folder / "rgb_baseline_420.jpg", JpegSeed(false, {}));
  Write(folder / "rgb_baseline_444.jpg", JpegSeed(false, {.subsampleChroma = false}));
  Write(folder / "rgb_progressive.jpg", JpegSeed(false, {.progressive = true}));
  Write(folder / "rgb_restart.jpg", JpegSeed(false, {.restartRows = 1}));
  Write(folder / "gray_baseline.jpg", JpegSeed(true, {}));
  Write(folder / "gray_progressive.jpg", JpegSeed(true, {.progressive = true}));
}

std::vector<Rgb> Palette(int entries) {
  std::vector<Rgb> palette;
  for (int i = 0; i < entries; ++i) {
    const auto base = static_cast<uint8_t>(i * 37);
    palette.push_back({static_cast<uint8_t>(base + 160), static_cast<uint8_t>(base + 80), base});
  }
  return palette;
}

// Uncompressed rows of width pixels, each padded to 4 bytes.
Bytes Rows(int width, int height, int bits) {
  const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  Bytes pixels(stride * height);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<uint8_t>(Pattern(static_cast<uint32_t>(i), 1, 0, 8));
  return pixels;
}

// One BMP seed: its fields, and its pixel bytes exactly as stored, their count as image size.
void WriteBmpSeed(const fs::path& path, BmpFields fields, Bytes pixels) {
  fields.imageSize = static_cast<uint32_t>(pixels.size());
  fields.pixels = std::move(pixels);
  Write(path, WriteBmp(fields));
}

void WriteBmpSeeds(const fs::path& folder) {
  const int w = 7, h = 5;
  WriteBmpSeed(folder / "bits1.bmp", Bmp(w, h, 1).Palette(Palette(2)), Rows(w, h, 1));
  WriteBmpSeed(folder / "bits4.bmp", Bmp(w, h, 4).Palette(Palette(16)), Rows(w, h, 4));
  WriteBmpSeed(folder / "bits8.bmp", Bmp(w, h, 8).Palette(Palette(256)), Rows(w, h, 8));
  for (uint16_t bits : {16, 24, 32})
    WriteBmpSeed(folder / ("bits" + std::to_string(bits) + ".bmp"), Bmp(w, h, bits),
                 Rows(w, h, bits));
  WriteBmpSeed(folder / "bits24_top_down.bmp", Bmp(w, -h), Rows(w, h, 24));
  WriteBmpSeed(folder / "bits16_565_fields.bmp",
               Bmp(w, h, 16).Compression(3).Masks(0xF800, 0x07E0, 0x001F), Rows(w, h, 16));
  WriteBmpSeed(folder / "bits32_fields.bmp",
               Bmp(w, h, 32).Compression(3).Masks(0x00FF0000, 0x0000FF00, 0x000000FF),
               Rows(w, h, 32));
  WriteBmpSeed(folder / "os2_bits8.bmp", Bmp(w, h, 8).Header(12).Palette(Palette(256)),
               Rows(w, h, 8));
  WriteBmpSeed(folder / "os2_bits24.bmp", Bmp(w, h).Header(12), Rows(w, h, 24));
  // RLE: encoded runs, an absolute run, a delta, end of line and end of bitmap.
  WriteBmpSeed(folder / "rle8.bmp", Bmp(w, h, 8).Compression(1).Palette(Palette(256)),
               {3, 1, 0, 3, 5, 6, 7, 0, 4, 2, 0, 0, 0, 2, 1, 1, 2, 9, 0, 0, 0, 1});
  WriteBmpSeed(folder / "rle4.bmp", Bmp(w, h, 4).Compression(2).Palette(Palette(16)),
               {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 1, 2, 0x77, 0, 0, 0, 1});
  // A few bytes that fill one column of 9,000,000 rows: the preview's page reader sums boxes
  // of 35,000 rows.
  WriteBmpSeed(folder / "rle8_one_column_tall.bmp",
               Bmp(1, 9'000'000, 8).Compression(1).ColorsUsed(2).Palette(Palette(2)), {0, 1});
}

// Lossless and lossy, with alpha, and an animation of two frames, one not blended.
void WriteWebpSeeds(const fs::path& folder) {
  const RgbImage image = MakeRgbImage(
      13, 9, [](int x, int y, int c) { return static_cast<uint8_t>(Pattern(x, y, c, 8)); });
  Write(folder / "lossless.webp", EncodeWebp(image, true));
  Write(folder / "lossy.webp", EncodeWebp(image, false, 50, 128));
  Write(folder / "animated.webp",
        EncodeAnimatedWebp(13, 9, {{&image, 0, 0, true}, {&image, 0, 0, false}}));
}

}  // namespace

// One small archive of each form libarchive writes and a hand-made 7z with a wide dictionary;
// the RAR seeds come from libarchive's own test archives (no free tool writes RAR), and the
// seeds of methods libarchive does not write (ZIP's LZMA, XZ and PPMd, 7z's PPMd and BZip2,
// tars packed with xz, lzma and bzip2) from 7-Zip and xz-utils.
void WriteArchiveSeeds(const fs::path& folder) {
  const std::vector<ArchiveFile> files = {{"a/001.jpg", "one"}, {"002.png", std::string(300, 'x')}};
  const std::pair<ArchiveForm, const char*> forms[] = {
      {ArchiveForm::ZipStored, "stored.zip"},       {ArchiveForm::ZipDeflated, "deflated.zip"},
      {ArchiveForm::ZipEncrypted, "encrypted.zip"}, {ArchiveForm::SevenZipLzma, "lzma.7z"},
      {ArchiveForm::SevenZipLzma2, "lzma2.7z"},     {ArchiveForm::Tar, "plain.tar"},
      {ArchiveForm::TarGz, "packed.tar.gz"}};
  for (const auto& [form, name] : forms)
    WriteArchive(folder / name, form, files);
  WriteSevenZipWindow(folder / "window.7z", files[1], 38);  // a 2 GiB dictionary
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* decoder : {"png", "jpeg", "bmp", "webp", "archive"})
    fs::create_directories(root / decoder);
  WritePngSeeds(root / "png");
  WriteJpegSeeds(root / "jpeg");
  WriteBmpSeeds(root / "bmp");
  WriteWebpSeeds(root / "webp");
  WriteArchiveSeeds(root / "archive");
  return 0;
}
