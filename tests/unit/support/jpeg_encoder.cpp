#include "support/jpeg_encoder.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace tamsolo::testing {
namespace {

// Compresses with the library's default error handling (a failure ends the test program).
std::vector<uint8_t> Compress(const RgbImage& image, int components, J_COLOR_SPACE space,
                              const JpegOptions& options) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(image.Width());
  cinfo.image_height = static_cast<JDIMENSION>(image.Height());
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
  std::vector<JSAMPLE> row(static_cast<size_t>(image.Width()) * components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint8_t* in = image.Row(static_cast<int>(cinfo.next_scanline));
    for (int x = 0; x < image.Width(); ++x) {
      for (int c = 0; c < components; ++c)
        row[x * components + c] = components == 3 ? in[3 * x + c] : in[3 * x];
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
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

}  // namespace tamsolo::testing
