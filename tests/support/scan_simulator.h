#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "image/rgb_image.h"
#include "support/clean_page_maker.h"

namespace tamsolo::testing {

// How a page was scanned. RandomScanSetup draws one from the ranges of home scans.
struct ScanSetup {
  double angle = 0;  // degrees; see Scan::angle
  std::array<double, 3> paper{232, 224, 205};
  std::array<double, 3> ink{35, 33, 30};
  double gamma = 1.0;                           // tone curve of the scanner
  std::array<double, 4> bedMargin{0, 0, 0, 0};  // left, top, right, bottom, share of the page
  double bed = 244;                             // the tone of the scanner's lid
  double spineShadow = 0;                       // darkening at the binding edge, 0 for none
  bool spineOnRight = false;                    // the binding edge: left unless this is set
  double noise = 3;                             // sigma of the noise in each channel
  int jpegQuality = 88;
};

// Paper and ink tints, a non-round angle of 0.3 to 2.5 degrees either way, bed margins of 2 to 8 %
// of white, dark gray or near black, and at times a spine shadow on the side that does not bleed.
ScanSetup RandomScanSetup(uint32_t seed, Bleed bleed = Bleed::None);

struct Scan {
  RgbImage image;             // decoded from jpeg
  std::vector<uint8_t> jpeg;  // the file the scanner wrote
  // The scan is the page turned by angle degrees about the scan's centre: the scan's pixel
  // centre q shows the straight picture's point s with q - c = R(angle) (s - c), R(a) =
  // ((cos a, -sin a), (sin a, cos a)) in x right, y down coordinates.
  double angle = 0;
  EdgeBox block;  // the printed block in the straight picture's coordinates
};

// Prints page with the setup's paper and ink, lays it on the bed, turns it, blurs it a little,
// adds noise and compresses it to a JPEG. The same page, setup and seed give the same scan.
Scan SimulateScan(const CleanPage& page, const ScanSetup& setup, uint32_t seed);

// The decoded pixels of a baseline JPEG in memory, through libjpeg.
RgbImage DecodeJpeg(const std::vector<uint8_t>& bytes);

}  // namespace tamsolo::testing
