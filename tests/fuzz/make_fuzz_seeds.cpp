// Writes the small seed corpus of the three decoder fuzz targets:
//   make_fuzz_seeds <folder>   ->  <folder>/png, <folder>/jpeg, <folder>/bmp
// Seeds are tiny on purpose: the fuzzer mutates them fastest, and they still reach every
// colour type, depth, compression and chunk kind the decoders know.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "support/png_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;
using namespace tamsolo::testing;

void Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
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

// libjpeg's compressor into memory; components 1 (gray) or 3 (YCbCr).
Bytes EncodeJpeg(int components, bool progressive, int restartRows, bool subsample) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = 19;
  cinfo.image_height = 13;
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 75, TRUE);
  if (progressive)
    jpeg_simple_progression(&cinfo);
  cinfo.restart_in_rows = restartRows;
  if (components == 3 && !subsample) {
    cinfo.comp_info[0].h_samp_factor = 1;
    cinfo.comp_info[0].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(cinfo.image_width * components);
  while (cinfo.next_scanline < cinfo.image_height) {
    for (size_t i = 0; i < row.size(); ++i)
      row[i] = static_cast<uint8_t>(Pattern(static_cast<uint32_t>(i), cinfo.next_scanline, 0, 8));
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

void WriteJpegSeeds(const fs::path& folder) {
  Write(folder / "rgb_baseline_420.jpg", EncodeJpeg(3, false, 0, true));
  Write(folder / "rgb_baseline_444.jpg", EncodeJpeg(3, false, 0, false));
  Write(folder / "rgb_progressive.jpg", EncodeJpeg(3, true, 0, true));
  Write(folder / "rgb_restart.jpg", EncodeJpeg(3, false, 1, true));
  Write(folder / "gray_baseline.jpg", EncodeJpeg(1, false, 0, false));
  Write(folder / "gray_progressive.jpg", EncodeJpeg(1, true, 0, false));
}

void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A BMP with a 40-byte info header (or the 12-byte OS/2 one), palette, masks and pixels as given.
Bytes MakeBmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
              const Bytes& palette, const Bytes& masks, const Bytes& pixels, bool os2 = false) {
  const uint32_t infoSize = os2 ? 12 : 40;
  const uint32_t offset = 14 + infoSize + static_cast<uint32_t>(masks.size() + palette.size());
  Bytes b = {'B', 'M'};
  Put32(b, offset + static_cast<uint32_t>(pixels.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, infoSize);
  if (os2) {
    Put16(b, static_cast<uint32_t>(width));
    Put16(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, bits);
  } else {
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, bits);
    Put32(b, compression);
    Put32(b, static_cast<uint32_t>(pixels.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
  }
  b.insert(b.end(), masks.begin(), masks.end());
  b.insert(b.end(), palette.begin(), palette.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

Bytes Palette(int entries, int entryBytes) {
  Bytes p;
  for (int i = 0; i < entries; ++i) {
    for (int c = 0; c < entryBytes; ++c)
      p.push_back(static_cast<uint8_t>(i * 37 + c * 80));
  }
  return p;
}

// Uncompressed rows of width pixels, each padded to 4 bytes.
Bytes Rows(int width, int height, int bits) {
  const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  Bytes pixels(stride * height);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<uint8_t>(Pattern(static_cast<uint32_t>(i), 1, 0, 8));
  return pixels;
}

void WriteBmpSeeds(const fs::path& folder) {
  const int w = 7, h = 5;
  Write(folder / "bits1.bmp", MakeBmp(w, h, 1, 0, Palette(2, 4), {}, Rows(w, h, 1)));
  Write(folder / "bits4.bmp", MakeBmp(w, h, 4, 0, Palette(16, 4), {}, Rows(w, h, 4)));
  Write(folder / "bits8.bmp", MakeBmp(w, h, 8, 0, Palette(256, 4), {}, Rows(w, h, 8)));
  Write(folder / "bits16.bmp", MakeBmp(w, h, 16, 0, {}, {}, Rows(w, h, 16)));
  Write(folder / "bits24.bmp", MakeBmp(w, h, 24, 0, {}, {}, Rows(w, h, 24)));
  Write(folder / "bits24_top_down.bmp", MakeBmp(w, -h, 24, 0, {}, {}, Rows(w, h, 24)));
  Write(folder / "bits32.bmp", MakeBmp(w, h, 32, 0, {}, {}, Rows(w, h, 32)));
  Bytes masks565;
  Put32(masks565, 0xF800);
  Put32(masks565, 0x07E0);
  Put32(masks565, 0x001F);
  Write(folder / "bits16_565_fields.bmp", MakeBmp(w, h, 16, 3, {}, masks565, Rows(w, h, 16)));
  Bytes masks32;
  Put32(masks32, 0x00FF0000);
  Put32(masks32, 0x0000FF00);
  Put32(masks32, 0x000000FF);
  Write(folder / "bits32_fields.bmp", MakeBmp(w, h, 32, 3, {}, masks32, Rows(w, h, 32)));
  Write(folder / "os2_bits8.bmp", MakeBmp(w, h, 8, 0, Palette(256, 3), {}, Rows(w, h, 8), true));
  Write(folder / "os2_bits24.bmp", MakeBmp(w, h, 24, 0, {}, {}, Rows(w, h, 24), true));
  // RLE: encoded runs, an absolute run, a delta, end of line and end of bitmap.
  const Bytes rle8 = {3, 1, 0, 3, 5, 6, 7, 0, 4, 2, 0, 0, 0, 2, 1, 1, 2, 9, 0, 0, 0, 1};
  Write(folder / "rle8.bmp", MakeBmp(w, h, 8, 1, Palette(256, 4), {}, rle8));
  const Bytes rle4 = {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 1, 2, 0x77, 0, 0, 0, 1};
  Write(folder / "rle4.bmp", MakeBmp(w, h, 4, 2, Palette(16, 4), {}, rle4));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* decoder : {"png", "jpeg", "bmp"})
    fs::create_directories(root / decoder);
  WritePngSeeds(root / "png");
  WriteJpegSeeds(root / "jpeg");
  WriteBmpSeeds(root / "bmp");
  return 0;
}
