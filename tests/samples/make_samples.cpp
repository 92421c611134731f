// Writes a small sample volume for trying the converter: two folders of made-up scanned
// pages, single pages and spreads of two and three pages, as JPEG, PNG and BMP files. With
// --volume, the 100-file volume the benchmarks convert instead; with --scans, the benchmarks'
// volume shaped like scanned books.
#include <cstdio>
#include <exception>
#include <string>

#include "support/sample_images.h"

int main(int argc, char** argv) {
  const std::string option = argc == 3 ? argv[2] : "";
  const bool volume = option == "--volume", scans = option == "--scans",
             degraded = option == "--degraded";
  if (argc != 2 && !volume && !scans && !degraded) {
    std::fprintf(stderr, "usage: make_samples OUTDIR [--volume|--scans|--degraded]\n");
    return 2;
  }
  try {
    if (volume)
      tamsolo::testing::WriteBenchmarkVolume(argv[1]);
    else if (scans)
      tamsolo::testing::WriteScanVolume(argv[1]);
    else if (degraded)
      tamsolo::testing::WriteDegradedScans(argv[1], 8);
    else
      tamsolo::testing::WriteSampleVolume(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_samples: %s\n", e.what());
    return 1;
  }
  std::printf("%s\n", argv[1]);
  return 0;
}
