#pragma once

#include <cstdint>

#include "image/rgb_image.h"

namespace tamsolo::testing {

// A box of pixel edges: columns left..right and rows top..bottom, right and bottom exclusive.
// Fractional where a scan moved it by less than a pixel.
struct EdgeBox {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

enum class Bleed { None, Left, Top, Right, Bottom };

struct CleanPageOptions {
  bool spread = false;        // 2800 x 2000 with a gutter instead of a 1400 x 2000 single page
  Bleed bleed = Bleed::None;  // the side whose art runs to the paper's edge
};

// A page as printed: white paper, black ink, gray only where edges are anti-aliased and in
// gradients. block is the printed block, the box round everything that is not blank paper.
struct CleanPage {
  RgbImage image;
  EdgeBox block;
};

// A made-up comic page: a blank paper margin round a block of panels with thick borders,
// screentone dots at several periods, gradients, solid blacks, speed lines, and balloons holding
// text-like strokes; a spread is two such pages side by side. Shapes are drawn with their
// exact pixel coverage, as print anti-aliases. The same seed gives the same page.
CleanPage MakeCleanPage(uint32_t seed, const CleanPageOptions& options = {});

}  // namespace tamsolo::testing
