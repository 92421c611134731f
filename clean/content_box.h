#pragma once

#include "clean/box.h"
#include "clean/luma_plane.h"

namespace tamsolo {

// The box round a straight page's printed content. From each side it drops the lines (columns
// from the left and right, rows from the top and bottom) that hold one tone along their length
// (the scanner bed, the page's edge, a spine shadow fading across the page, the blank paper
// margin), twice: first over the whole image, to the page's edges, and then along the page
// only, to its content. A line with marks on it, or a solid line much darker than the blank
// before it, is content and stays, so art that bleeds to the paper's edge stays whole. The whole
// image when it holds no content.
ContentBox FindContentBox(const LumaPlane& luma);

}  // namespace tamsolo
