#include "clean/page_clean.h"

#include <optional>
#include <utility>

#include "clean/content_box.h"
#include "clean/levels.h"
#include "clean/luma_plane.h"
#include "clean/page_count_box.h"
#include "clean/rotate.h"
#include "clean/sharpen.h"
#include "clean/skew_estimate.h"

namespace tamsolo {

CleanReport CleanUpPage(RgbImage& image, const CleanSteps& steps,
                        const CleanCheckpoint& checkpoint) {
  const auto check = [&] {
    if (checkpoint)
      checkpoint();
  };
  CleanReport report{0, {0, 0, image.Width(), image.Height()}};
  if (image.Empty())
    return report;
  LumaPlane luma = LumaOf(image);
  if (steps.deskew) {
    check();
    report.angle = EstimateSkew(luma);
    check();
    luma = Rotated(std::move(luma), report.angle);
  }
  if (steps.crop) {
    check();
    report.box = KeepPageCount(FindContentBox(luma), luma.width, luma.height);
  }
  if (steps.levels) {
    check();
    // Every other row shows the page's tones as well as all of them.
    if (const std::optional<LevelsPoints> points = FindLevels(Histogram(luma, report.box, 2))) {
      // With paper white and ink black, the edges the scanner's optics softened are steepened
      // again; the clipping at both ends keeps the noise of paper and ink from growing.
      const std::array<uint8_t, 256> curve = LevelsCurve(*points);
      Sharpen(luma, report.box, curve, SharpeningFor(EdgeSteepness(luma, report.box, curve)));
    }
  }
  WriteGray(luma, report.box, image);
  return report;
}

}  // namespace tamsolo
