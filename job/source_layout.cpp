#include "job/source_layout.h"

#include <string>

#include "page/scaled_width.h"
#include "platform/error.h"
#include "resample/resampler.h"

namespace tamsolo {

// A source only a few rows high would otherwise scale into an image of many gigabytes
// (20000 x 10 gives 2,016,000 x 1008); refuse it before anything is allocated.
SourceLayout LayoutSource(int64_t width, int64_t height) {
  const int64_t scaledWidth = ScaledWidth(width, height);
  const int64_t bytes = scaledWidth * kScaledHeight * 3;
  if (bytes > kMaxScaledImageBytes)
    throw Error("Scaled image too large: " + std::to_string(scaledWidth) +
                " x 1008 pixels would need more than 1 GiB");
  const PageLayout pages = LayoutPages(scaledWidth);
  // The scaling refuses it; said here, plan refuses it too instead of promising its pages.
  if (height == 1 && pages.count > 0)
    throw Error(kOneRowSourceText);
  return {scaledWidth, pages};
}

}  // namespace tamsolo
