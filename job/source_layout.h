#pragma once

#include <cstdint>

#include "page/page_layout.h"

namespace tamsolo {

// The largest scaled image a job allocates; a wider result is refused before scaling.
inline constexpr int64_t kMaxScaledImageBytes = int64_t{1} << 30;

// What a job makes of a width x height source: the width it is scaled to and how that is cut
// into pages (count 0: under half a page, no page). Throws the job's Error "Scaled image too
// large: ..." when the scaled image would exceed kMaxScaledImageBytes, and the scaling's
// Error for a source one row high that would give pages; the job then ends without a page.
struct SourceLayout {
  int64_t scaledWidth = 0;
  PageLayout pages;
};
SourceLayout LayoutSource(int64_t width, int64_t height);

}  // namespace tamsolo
