#pragma once

#include "clean/content_box.h"

namespace tamsolo {

// box, grown where it must be, so that it gives as many pages as the whole width x height
// image: a crop never changes a source's page count, which plan reads from the header alone.
// A box that would give more pages is wide for its height and gets rows back, one that would
// give fewer gets columns back: the fewest that restore the count, half on each side where
// the image allows.
ContentBox KeepPageCount(const ContentBox& box, int width, int height);

}  // namespace tamsolo
