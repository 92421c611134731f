#pragma once

#include <functional>

#include "clean/box.h"
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

// Called between the steps; throws to abandon the page.
using CleanCheckpoint = std::function<void()>;

// Straightens image, crops it to its content (widened where the crop would change the page
// count) and stretches paper to white and ink to black, in that order: the crop must not see
// the bed round a turned page, and the levels judge the page without bed and margin. Steps not
// asked for are skipped. The work is on the luma, since the pages are gray: image comes back a
// known gray image of the kept box, in its own buffer, whatever steps changed it. At the peak
// two luma planes sit beside the image. Returns what was done.
CleanReport CleanUpPage(RgbImage& image, const CleanSteps& steps = {},
                        const CleanCheckpoint& checkpoint = {});

}  // namespace tamsolo
