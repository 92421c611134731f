// Writes a small sample volume for trying the converter: two folders of made-up scanned
// pages, single pages and spreads of two and three pages, as JPEG, PNG and BMP files. With
// --volume it writes the benchmark's volume instead: 100 files in four folders, mostly
// colour JPEG scans of 2400 x 3400 (every third one 1200 x 1700), every fifth file a
// two-page spread of 4800 x 3400, some PNG and BMP.
#include <cstdio>
#include <filesystem>
#include <span>
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

// File i of the benchmark volume: 23 spreads among 100 files give 123 pages.
Sample VolumeSample(int i, std::string& path) {
  const char* extension = i % 10 == 3 ? ".png" : i % 10 == 7 ? ".bmp" : ".jpg";
  char name[64];
  std::snprintf(name, sizeof name, "vol%d/%03d%s", i / 25 + 1, i + 1, extension);
  path = name;
  if (i % 5 == 4 || i >= 96)
    return {nullptr, 4800, 3400};
  return i % 3 == 0 ? Sample{nullptr, 1200, 1700} : Sample{nullptr, 2400, 3400};
}

}  // namespace

int main(int argc, char** argv) {
  const bool volume = argc == 3 && std::string(argv[2]) == "--volume";
  if (argc != 2 && !volume) {
    std::fprintf(stderr, "usage: make_samples OUTDIR [--volume]\n");
    return 2;
  }
  namespace fs = std::filesystem;
  using namespace tamsolo::testing;
  const fs::path root = argv[1];
  try {
    for (int i = 0; volume && i < 100; ++i) {
      std::string relative;
      const Sample sample = VolumeSample(i, relative);
      WriteSampleFile(root / relative, sample.width, sample.height, i + 1);
    }
    int seed = 0;
    for (const Sample& sample : volume ? std::span<const Sample>() : std::span(kSamples))
      WriteSampleFile(root / sample.path, sample.width, sample.height, ++seed);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_samples: %s\n", e.what());
    return 1;
  }
  std::printf("%s\n", root.string().c_str());
  return 0;
}
