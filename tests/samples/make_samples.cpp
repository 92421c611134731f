// Writes a small sample volume for trying the converter: two folders of made-up scanned
// pages, single pages and spreads of two and three pages, as JPEG, PNG and BMP files.
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/sample_images.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples OUTDIR\n");
    return 2;
  }
  namespace fs = std::filesystem;
  using namespace tamsolo::testing;
  const fs::path root = argv[1];
  try {
    int seed = 0;
    for (const Sample& sample : kSamples) {
      WriteSampleFile(root / sample.path, sample.width, sample.height, ++seed);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_samples: %s\n", e.what());
    return 1;
  }
  std::printf("%s\n", root.string().c_str());
  return 0;
}
