#include "clean/page_clean.h"

#include <numeric>
#include <optional>
#include <utility>

#include "clean/content_box.h"
#include "clean/levels.h"
#include "clean/luma_plane.h"
#include "clean/page_count_box.h"
#include "clean/rotate.h"
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
  std::array<uint8_t, 256> curve{};
  std::iota(curve.begin(), curve.end(), uint8_t{0});
  if (steps.levels) {
    check();
    if (const std::optional<LevelsPoints> points = FindLevels(Histogram(luma, report.box)))
      curve = LevelsCurve(*points);
  }
  WriteGray(luma, report.box, curve, image);
  return report;
}

}  // namespace tamsolo
