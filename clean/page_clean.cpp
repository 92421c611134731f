#include "clean/page_clean.h"

#include <utility>

#include "clean/levels.h"
#include "clean/luma_plane.h"
#include "clean/page_count_box.h"
#include "clean/rotate.h"
#include "clean/skew_estimate.h"

namespace tamsolo {

CleanReport CleanUpPage(RgbImage& image, const CleanSteps& steps) {
  CleanReport report{0, {0, 0, image.Width(), image.Height()}};
  if (image.Empty())
    return report;
  LumaPlane luma = LumaOf(image);
  if (steps.deskew) {
    report.angle = EstimateSkew(luma);
    if (report.angle != 0) {
      image = Rotated(std::move(image), report.angle);
      if (steps.crop)
        luma = LumaOf(image);
    }
  }
  if (steps.crop) {
    report.box = KeepPageCount(FindContentBox(luma), image.Width(), image.Height());
    if (report.box != ContentBox{0, 0, image.Width(), image.Height()})
      image = Cropped(image, report.box);
  }
  if (steps.levels)
    ApplyLevels(image);
  return report;
}

}  // namespace tamsolo
