/* The floor of the volume benchmark: every file decoded into memory and nothing more, with
 * the decoder settings the product uses (libjpeg: accurate integer DCT, fancy upsampling;
 * PNG through libpng's simplified API as 8-bit RGB; BMP read whole). Built by
 * scripts/bench-volume.sh. Usage: decode_floor FILE... */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <jpeglib.h>
#include <png.h>

static int EndsWith(const char* text, const char* end) {
  size_t a = strlen(text), b = strlen(end);
  return a >= b && strcasecmp(text + a - b, end) == 0;
}

static unsigned long DecodeJpeg(const char* path) {
  FILE* file = fopen(path, "rb");
  if (!file)
    return 0;
  struct jpeg_decompress_struct cinfo;
  struct jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = TRUE;
  jpeg_start_decompress(&cinfo);
  size_t stride = (size_t)cinfo.output_width * cinfo.output_components;
  unsigned char* pixels = malloc(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  unsigned long sum = pixels[stride * cinfo.output_height / 2];
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  fclose(file);
  free(pixels);
  return sum;
}

static unsigned long DecodePng(const char* path) {
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path))
    return 0;
  image.format = PNG_FORMAT_RGB;
  unsigned char* pixels = malloc(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, NULL, pixels, 0, NULL);
  unsigned long sum = pixels[PNG_IMAGE_SIZE(image) / 2];
  free(pixels);
  return sum;
}

static unsigned long ReadWhole(const char* path) {
  FILE* file = fopen(path, "rb");
  if (!file)
    return 0;
  fseek(file, 0, SEEK_END);
  long size = ftell(file);
  fseek(file, 0, SEEK_SET);
  unsigned char* bytes = malloc((size_t)size);
  size_t got = fread(bytes, 1, (size_t)size, file);
  unsigned long sum = got ? bytes[got / 2] : 0;
  fclose(file);
  free(bytes);
  return sum;
}

int main(int argc, char** argv) {
  unsigned long sum = 0;
  for (int i = 1; i < argc; ++i) {
    if (EndsWith(argv[i], ".png"))
      sum += DecodePng(argv[i]);
    else if (EndsWith(argv[i], ".bmp"))
      sum += ReadWhole(argv[i]);
    else
      sum += DecodeJpeg(argv[i]);
  }
  printf("%lu\n", sum);
  return 0;
}
