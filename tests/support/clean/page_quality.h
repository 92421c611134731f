#pragma once

#include <vector>

#include "clean/box.h"
#include "image/rgb_image.h"
#include "page/page_image.h"
#include "support/clean_page_maker.h"

namespace tamsolo::testing {

// The pixels of box, which lies inside image.
RgbImage Cropped(const RgbImage& image, const ContentBox& box);

// The pages an image gives through the default filter, as the page conversion makes them.
std::vector<PageImage> PagesOf(const RgbImage& image);

// The share of pixels within one gray index of each other; 0 when the page counts differ.
double WithinOneIndex(const std::vector<PageImage>& a, const std::vector<PageImage>& b);

// The best WithinOneIndex of pages against those of the clean page cropped to its printed
// block with each edge moved to any whole pixel within reach of it. Every combination is tried:
// moving one edge alone can shift the scaled columns and hide a better pair.
double BestAgainstBlock(const CleanPage& page, const std::vector<PageImage>& pages, double reach);

}  // namespace tamsolo::testing
