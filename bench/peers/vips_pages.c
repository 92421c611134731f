/* The libvips peer of the volume benchmark: the same job through its C API. Each file is
 * loaded, resized to 1008 rows (Lanczos3), cut into 768-column pages from right to left,
 * mapped to 16 grays and written as a 768 x 1024 4-bit BMP. Built by
 * scripts/bench-volume.sh. Usage: vips_pages OUTDIR FILE... */
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <vips/vips.h>

static void PutLe(unsigned char* at, unsigned value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    at[i] = (unsigned char)(value >> (8 * i));
}

/* gray: 768 x 1008 levels 0..15, written bottom row first under a white band. */
static int WritePage(const char* path, const unsigned char* gray) {
  enum { kWidth = 768, kHeight = 1024, kStride = kWidth / 2, kHead = 14 + 40 + 64 };
  static unsigned char file[kHead + kStride * kHeight];
  memset(file, 0, kHead);
  file[0] = 'B';
  file[1] = 'M';
  PutLe(file + 2, sizeof file, 4);
  PutLe(file + 10, kHead, 4);
  PutLe(file + 14, 40, 4);
  PutLe(file + 18, kWidth, 4);
  PutLe(file + 22, kHeight, 4);
  PutLe(file + 26, 1, 2);
  PutLe(file + 28, 4, 2);
  PutLe(file + 34, kStride * kHeight, 4);
  PutLe(file + 46, 16, 4);
  for (int i = 0; i < 16; ++i)
    PutLe(file + 54 + 4 * i, 0x111111u * (unsigned)i, 4);
  for (int y = 0; y < kHeight; ++y) {
    unsigned char* row = file + kHead + (size_t)(kHeight - 1 - y) * kStride;
    for (int x = 0; x < kWidth; x += 2) {
      int a = y < 1008 ? gray[y * kWidth + x] : 15, b = y < 1008 ? gray[y * kWidth + x + 1] : 15;
      row[x / 2] = (unsigned char)(a << 4 | b);
    }
  }
  FILE* out = fopen(path, "wb");
  if (!out)
    return -1;
  fwrite(file, 1, sizeof file, out);
  return fclose(out);
}

static int Convert(const char* folder, const char* path, int index) {
  VipsImage* in = vips_image_new_from_file(path, "access", VIPS_ACCESS_SEQUENTIAL, NULL);
  if (!in)
    return -1;
  VipsImage *scaled = NULL, *bw = NULL, *levels = NULL, *bytes = NULL;
  double scale = 1008.0 / in->Ysize;
  int failed = vips_resize(in, &scaled, scale, "kernel", VIPS_KERNEL_LANCZOS3, NULL) ||
               vips_colourspace(scaled, &bw, VIPS_INTERPRETATION_B_W, NULL) ||
               vips_linear1(bw, &levels, 1.0 / 17, 0.5, NULL) ||
               vips_cast_uchar(levels, &bytes, NULL);
  size_t size = 0;
  unsigned char* gray = failed ? NULL : vips_image_write_to_memory(bytes, &size);
  if (gray) {
    int width = bytes->Xsize, rows = bytes->Ysize < 1008 ? bytes->Ysize : 1008;
    int count = (int)floor((double)width / 768 + 0.5);
    int offset = (width - count * 768) / 2;
    static unsigned char page[768 * 1008];
    for (int v = 1; v <= count; ++v) {
      int first = offset + (count - v) * 768;
      memset(page, 15, sizeof page);
      for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < 768; ++x) {
          int column = first + x;
          if (column >= 0 && column < width)
            page[y * 768 + x] = gray[(size_t)y * width + column];
        }
      }
      char name[4096];
      snprintf(name, sizeof name, "%s/%d-%d.bmp", folder, index, v);
      failed |= WritePage(name, page);
    }
    g_free(gray);
  }
  VipsImage* all[] = {in, scaled, bw, levels, bytes};
  for (int i = 0; i < 5; ++i) {
    if (all[i])
      g_object_unref(all[i]);
  }
  return failed || !gray ? -1 : 0;
}

int main(int argc, char** argv) {
  if (VIPS_INIT(argv[0]) || argc < 3)
    return 2;
  vips_concurrency_set(1);
  vips_cache_set_max(0);
  int failed = 0;
  for (int i = 2; i < argc; ++i)
    failed |= Convert(argv[1], argv[i], i - 1) != 0;
  vips_shutdown();
  return failed;
}
