// Writes a small sample volume for trying the converter: two folders of made-up scanned
// pages, single pages and spreads of two and three pages, as JPEG, PNG and BMP files.
#include <cstdio>
#include <exception>

#include "support/sample_images.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples OUTDIR\n");
    return 2;
  }
  try {
    tamsolo::testing::WriteSampleVolume(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_samples: %s\n", e.what());
    return 1;
  }
  std::printf("%s\n", argv[1]);
  return 0;
}
