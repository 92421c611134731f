#include "support/clean_page_maker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace tamsolo::testing {
namespace {

// 1/sqrt(2), the value <cmath> names M_SQRT1_2 only where the C library defines it.
constexpr double kSqrtHalf = 0.70710678118654752440;

constexpr int kPageWidth = 1400;
constexpr int kPageHeight = 2000;

struct Box {
  double left, top, right, bottom;
};

// Tones from 0 (ink) to 1 (paper), painted shape over shape with each shape's pixel coverage.
class Canvas {
 public:
  Canvas(int width, int height)
      : width_(width), height_(height), tone_(static_cast<size_t>(width) * height, 1.0f) {}

  // Calls shade(x + 0.5, y + 0.5, tone) for the pixels of clip, which returns the new tone.
  template <class Shade>
  void Paint(const Box& clip, Shade shade) {
    const int x0 = std::max(0, static_cast<int>(std::floor(clip.left)));
    const int x1 = std::min(width_, static_cast<int>(std::ceil(clip.right)));
    const int y0 = std::max(0, static_cast<int>(std::floor(clip.top)));
    const int y1 = std::min(height_, static_cast<int>(std::ceil(clip.bottom)));
    for (int y = y0; y < y1; ++y) {
      float* row = tone_.data() + static_cast<size_t>(y) * width_;
      for (int x = x0; x < x1; ++x)
        row[x] = shade(x + 0.5, y + 0.5, row[x]);
    }
  }

  void FillBox(const Box& box, float tone) {
    Paint(box, [&](double x, double y, float old) {
      const double cover =
          Overlap(box.left, box.right, x - 0.5) * Overlap(box.top, box.bottom, y - 0.5);
      return Blend(old, tone, cover);
    });
  }

  RgbImage ToImage() const {
    RgbImage image(width_, height_);
    for (size_t i = 0; i < tone_.size(); ++i) {
      const auto v = static_cast<uint8_t>(std::lround(std::clamp(tone_[i], 0.0f, 1.0f) * 255.0f));
      image.Data()[3 * i] = image.Data()[3 * i + 1] = image.Data()[3 * i + 2] = v;
    }
    image.SetKnownGray(true);
    return image;
  }

  static float Blend(float old, float tone, double cover) {
    return old + static_cast<float>(std::clamp(cover, 0.0, 1.0)) * (tone - old);
  }

 private:
  static double Overlap(double from, double to, double pixel) {
    return std::max(0.0, std::min(to, pixel + 1) - std::max(from, pixel));
  }

  int width_;
  int height_;
  std::vector<float> tone_;
};

// Coverage of a round edge at signed distance d (negative inside) with a one-pixel ramp.
double EdgeCover(double d) {
  return std::clamp(0.5 - d, 0.0, 1.0);
}

class PageDrawer {
 public:
  PageDrawer(Canvas& canvas, uint32_t seed) : canvas_(canvas), random_(seed) {}

  double Uniform(double from, double to) {
    return from + (to - from) * std::uniform_real_distribution<double>(0, 1)(random_);
  }
  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

  // Rows of panels filling block; panels on a bleed side reach past pageEdge so that their
  // art, not their border, meets the paper's edge.
  void DrawBlock(const Box& block, const Box& page, Bleed bleed) {
    const int rows = 3 + Pick(2);
    const double gap = Uniform(14, 22);
    double top = block.top;
    for (int r = 0; r < rows; ++r) {
      const double bottom = r + 1 == rows
                                ? block.bottom
                                : top + (block.bottom - block.top) / rows * Uniform(0.8, 1.2);
      const int columns = 1 + Pick(3);
      double left = block.left;
      for (int c = 0; c < columns; ++c) {
        const double right = c + 1 == columns
                                 ? block.right
                                 : left + (block.right - left - gap * (columns - c - 1)) /
                                              (columns - c) * Uniform(0.75, 1.25);
        Box panel{left, top, right, bottom};
        const double border = Uniform(3, 6.5);
        if (bleed == Bleed::Left && c == 0)
          panel.left = page.left - border - 2;
        if (bleed == Bleed::Right && c + 1 == columns)
          panel.right = page.right + border + 2;
        if (bleed == Bleed::Top && r == 0)
          panel.top = page.top - border - 2;
        if (bleed == Bleed::Bottom && r + 1 == rows)
          panel.bottom = page.bottom + border + 2;
        DrawPanel(panel, border);
        left = right + gap;
      }
      top = bottom + gap;
    }
  }

 private:
  void DrawPanel(const Box& outer, double border) {
    const Box inner{outer.left + border, outer.top + border, outer.right - border,
                    outer.bottom - border};
    switch (Pick(5)) {
      case 0:
        Screentone(inner, false);
        break;
      case 1:
        Screentone(inner, true);
        break;
      case 2:
        Gradient(inner);
        break;
      case 3:
        SolidBlack(inner);
        break;
      default:
        SpeedLines(inner);
        break;
    }
    if (Pick(3) != 0)
      Balloon(inner);
    canvas_.FillBox({outer.left, outer.top, outer.right, inner.top}, 0);
    canvas_.FillBox({outer.left, inner.bottom, outer.right, outer.bottom}, 0);
    canvas_.FillBox({outer.left, inner.top, inner.left, inner.bottom}, 0);
    canvas_.FillBox({inner.right, inner.top, outer.right, inner.bottom}, 0);
  }

  // Round dots on a 45-degree grid; graded dots grow from top to bottom.
  void Screentone(const Box& box, bool graded) {
    const double period = std::array{4.0, 5.0, 6.0, 8.0}[static_cast<size_t>(Pick(4))];
    const double size = Uniform(0.2, 0.45);
    canvas_.Paint(box, [&](double x, double y, float old) {
      const double u = (x + y) * kSqrtHalf / period;
      const double v = (x - y) * kSqrtHalf / period;
      const double d = std::hypot(u - std::round(u), v - std::round(v)) * period;
      const double share = graded ? (y - box.top) / (box.bottom - box.top) : 1.0;
      const double radius = period * (graded ? 0.05 + 0.4 * share : size);
      return Canvas::Blend(old, 0, EdgeCover(d - radius));
    });
  }

  void Gradient(const Box& box) {
    const double from = Uniform(0.1, 0.5);
    const double to = Uniform(0.6, 1.0);
    const bool across = Pick(2) == 0;
    canvas_.Paint(box, [&](double x, double y, float) {
      const double share =
          across ? (x - box.left) / (box.right - box.left) : (y - box.top) / (box.bottom - box.top);
      return static_cast<float>(from + (to - from) * std::clamp(share, 0.0, 1.0));
    });
  }

  // Solid black below a slanted horizon, with a few thin white lines cut into it.
  void SolidBlack(const Box& box) {
    const double level = box.top + (box.bottom - box.top) * Uniform(0.3, 0.7);
    const double slope = Uniform(-0.3, 0.3);
    canvas_.Paint(box, [&](double x, double y, float old) {
      const double d = (level + slope * (x - box.left) - y) / std::hypot(1.0, slope);
      return Canvas::Blend(old, 0, EdgeCover(d));
    });
    for (int i = 0; i < 4; ++i) {
      const double x = Uniform(box.left, box.right);
      Segment(box, x, level + 20, x + Uniform(-40, 40), box.bottom, 1.0, 1.0f);
    }
  }

  // Lines converging on a point inside the panel, thinning as they go.
  void SpeedLines(const Box& box) {
    const double cx = Uniform(box.left, box.right);
    const double cy = Uniform(box.top, box.bottom);
    for (int i = 0; i < 40; ++i) {
      const double angle = Uniform(0, 2 * std::numbers::pi);
      const double reach =
          Uniform(0.3, 0.6) * std::hypot(box.right - box.left, box.bottom - box.top);
      const double from = Uniform(0.2, 0.5) * reach;
      Segment(box, cx + from * std::cos(angle), cy + from * std::sin(angle),
              cx + reach * std::cos(angle), cy + reach * std::sin(angle), Uniform(0.8, 2.5), 0.0f);
    }
  }

  void Segment(const Box& clip, double x0, double y0, double x1, double y1, double width,
               float tone) {
    const double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
    const Box reach{std::max(clip.left, std::min(x0, x1) - width),
                    std::max(clip.top, std::min(y0, y1) - width),
                    std::min(clip.right, std::max(x0, x1) + width),
                    std::min(clip.bottom, std::max(y0, y1) + width)};
    if (reach.left >= reach.right || reach.top >= reach.bottom)
      return;
    canvas_.Paint(reach, [&](double x, double y, float old) {
      const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / length2, 0.0, 1.0);
      const double d = std::hypot(x - x0 - t * dx, y - y0 - t * dy);
      return Canvas::Blend(old, tone, EdgeCover(d - width / 2));
    });
  }

  // A white ellipse with a black outline and columns of text-like strokes, read top to bottom.
  void Balloon(const Box& panel) {
    const double a = std::min(Uniform(60, 130), (panel.right - panel.left) * 0.4);
    const double b = std::min(Uniform(90, 200), (panel.bottom - panel.top) * 0.4);
    const double cx = Uniform(panel.left + a + 4, panel.right - a - 4);
    const double cy = Uniform(panel.top + b + 4, panel.bottom - b - 4);
    const Box clip{std::max(panel.left, cx - a - 3), std::max(panel.top, cy - b - 3),
                   std::min(panel.right, cx + a + 3), std::min(panel.bottom, cy + b + 3)};
    canvas_.Paint(clip, [&](double x, double y, float old) {
      const double u = (x - cx) / a, v = (y - cy) / b, k = std::hypot(u, v);
      const double slope = std::hypot(u / a, v / b);
      const double d = slope > 0 ? (k - 1) * k / slope : -std::min(a, b);
      const float filled = Canvas::Blend(old, 1, EdgeCover(d));
      return Canvas::Blend(filled, 0, EdgeCover(std::abs(d) - 1.2));
    });
    const double pitch = Uniform(20, 28);
    for (double x = cx + a * 0.45; x > cx - a * 0.5; x -= pitch) {
      for (double y = cy - b * 0.55; y < cy + b * 0.5; y += pitch) {
        const double w = Uniform(1.8, 2.6), s = pitch * 0.7;
        canvas_.FillBox({x - s / 2, y, x + s / 2, y + w}, 0);
        const double stem = x + Uniform(-s / 3, s / 3);
        canvas_.FillBox({stem - w / 2, y - s * 0.2, stem + w / 2, y + s * Uniform(0.4, 0.8)}, 0);
      }
    }
  }

  Canvas& canvas_;
  std::mt19937 random_;
};

// The printed block of one page: margins of 5 to 9 % and fractional edges, none on a bleed side.
Box BlockOf(const Box& page, Bleed bleed, PageDrawer& drawer) {
  const double w = page.right - page.left, h = page.bottom - page.top;
  Box block{page.left + w * drawer.Uniform(0.06, 0.09), page.top + h * drawer.Uniform(0.05, 0.08),
            page.right - w * drawer.Uniform(0.06, 0.09),
            page.bottom - h * drawer.Uniform(0.05, 0.08)};
  if (bleed == Bleed::Left)
    block.left = page.left;
  if (bleed == Bleed::Right)
    block.right = page.right;
  if (bleed == Bleed::Top)
    block.top = page.top;
  if (bleed == Bleed::Bottom)
    block.bottom = page.bottom;
  return block;
}

}  // namespace

CleanPage MakeCleanPage(uint32_t seed, const CleanPageOptions& options) {
  const int pages = options.spread ? 2 : 1;
  Canvas canvas(kPageWidth * pages, kPageHeight);
  PageDrawer drawer(canvas, seed);
  EdgeBox all{1e9, 1e9, -1e9, -1e9};
  for (int p = 0; p < pages; ++p) {
    const Box page{static_cast<double>(p * kPageWidth), 0,
                   static_cast<double>((p + 1) * kPageWidth), kPageHeight};
    // On a spread the left and right bleeds belong to the outer edges.
    Bleed bleed = options.bleed;
    if ((bleed == Bleed::Left && p == 1) || (bleed == Bleed::Right && p + 1 < pages))
      bleed = Bleed::None;
    const Box block = BlockOf(page, bleed, drawer);
    drawer.DrawBlock(block, page, bleed);
    all = {std::min(all.left, block.left), std::min(all.top, block.top),
           std::max(all.right, block.right), std::max(all.bottom, block.bottom)};
  }
  return {canvas.ToImage(), all};
}

}  // namespace tamsolo::testing
