#pragma once

#include "clean/content_box.h"
#include "image/rgb_image.h"

namespace tamsolo {

struct CleanSteps {
  bool deskew = true;
  bool crop = true;
  bool levels = true;
};

// What the clean-up did to one source, for its record.
struct CleanReport {
  double angle = 0;  // degrees turned back; 0 when the page was not turned
  ContentBox box;    // the part kept, in the straightened image's pixels

  bool operator==(const CleanReport&) const = default;
};

// Straightens image, crops it to its content (widened where the crop would change the page
// count) and stretches paper to white and ink to black, in that order: the crop must not see
// the bed round a turned page, and the levels judge the page without bed and margin. Steps not
// asked for are skipped. Returns what was done.
CleanReport CleanUpPage(RgbImage& image, const CleanSteps& steps = {});

}  // namespace tamsolo
