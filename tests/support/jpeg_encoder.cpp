#include "support/jpeg_encoder.h"

#include <cstdlib>
#include <functional>

#include <jpeglib.h>

#include "support/temp_folder.h"

namespace tamsolo::testing {
namespace {

// Fills row y, width x components samples.
using RowFill = std::function<void(int y, JSAMPLE* row)>;

// Compresses with the library's default error handling (a failure ends the test program).
std::vector<uint8_t> Compress(int width, int height, int components, J_COLOR_SPACE space,
                              const JpegOptions& options, const RowFill& fill) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive)
    jpeg_simple_progression(&cinfo);
  cinfo.restart_in_rows = options.restartRows;
  if (components == 3 && !options.subsampleChroma) {
    cinfo.comp_info[0].h_samp_factor = 1;
    cinfo.comp_info[0].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
  while (cinfo.next_scanline < cinfo.image_height) {
    fill(static_cast<int>(cinfo.next_scanline), row.data());
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

// The components of image's rows: all three, or the red channel for every component.
std::vector<uint8_t> Compress(const RgbImage& image, int components, J_COLOR_SPACE space,
                              const JpegOptions& options) {
  return Compress(image.Width(), image.Height(), components, space, options,
                  [&](int y, JSAMPLE* row) {
                    const uint8_t* in = image.Row(y);
                    for (int x = 0; x < image.Width(); ++x) {
                      for (int c = 0; c < components; ++c)
                        row[x * components + c] = components == 3 ? in[3 * x + c] : in[3 * x];
                    }
                  });
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const RgbImage& image, const JpegOptions& options) {
  return Compress(image, 3, JCS_RGB, options);
}

std::vector<uint8_t> EncodeGrayJpeg(const RgbImage& image, const JpegOptions& options) {
  return Compress(image, 1, JCS_GRAYSCALE, options);
}

std::vector<uint8_t> EncodeCmykJpeg(const RgbImage& image) {
  return Compress(image, 4, JCS_CMYK, {});
}

uint8_t LargeImageShade(int x, int y, int c) {
  return static_cast<uint8_t>((x / 64 * 37 + y / 64 * 11 + c * 50) % 256);
}

void WriteLargeJpeg(const std::filesystem::path& path, int width, int height, bool gray,
                    bool progressive) {
  std::filesystem::create_directories(path.parent_path());
  const int components = gray ? 1 : 3;
  // Quality 75 is the library's default.
  WriteFileBytes(path.string(),
                 Compress(width, height, components, gray ? JCS_GRAYSCALE : JCS_RGB,
                          {.quality = 75, .progressive = progressive}, [&](int y, JSAMPLE* row) {
                            for (int i = 0; i < width * components; ++i)
                              row[i] = LargeImageShade(i / components, y, i % components);
                          }));
}

}  // namespace tamsolo::testing
