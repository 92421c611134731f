#include "clean/skew_estimate.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdlib>
#include <vector>

namespace tamsolo {
namespace {

// A point on a sharp edge: across a horizontal line (the luma changes down the page) or across
// a vertical one, relative to the plane's centre.
struct EdgePoint {
  float x;
  float y;
};

struct EdgePoints {
  std::vector<EdgePoint> acrossRows;     // on horizontal lines
  std::vector<EdgePoint> acrossColumns;  // on vertical lines
  int extent = 0;                        // the plane's diagonal: the reach of any projection
};

// The step that makes an edge: a fifth of the spread between dark and light, at least 12.
int EdgeStep(const LumaPlane& luma) {
  const std::vector<uint32_t> counts = Histogram(luma);
  const double total = static_cast<double>(luma.values.size());
  double seen = 0;
  int dark = 0;
  int light = 255;
  for (int v = 0; v < 256; ++v) {
    if (seen < 0.05 * total)
      dark = v;
    seen += counts[static_cast<size_t>(v)];
    if (seen <= 0.95 * total)
      light = v;
  }
  return std::max(12, (light - dark) / 5);
}

// Points where the luma changes by step across two pixels, mainly in one direction.
EdgePoints FindEdges(const LumaPlane& luma) {
  EdgePoints points;
  points.extent = static_cast<int>(std::ceil(std::hypot(luma.width, luma.height))) + 4;
  const int step = EdgeStep(luma);
  const float cx = static_cast<float>(luma.width) / 2, cy = static_cast<float>(luma.height) / 2;
  for (int y = 1; y + 1 < luma.height; ++y) {
    const uint8_t* up = luma.Row(y - 1);
    const uint8_t* row = luma.Row(y);
    const uint8_t* down = luma.Row(y + 1);
    for (int x = 1; x + 1 < luma.width; ++x) {
      const int dy = std::abs(down[x] - up[x]);
      const int dx = std::abs(row[x + 1] - row[x - 1]);
      const EdgePoint point{static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy};
      // Every other point along a line: its neighbours tell no more about where the line lies,
      // and each angle's score costs half.
      if (dy >= step && dy > 2 * dx) {
        if (x % 2 == 0)
          points.acrossRows.push_back(point);
      } else if (dx >= step && dx > 2 * dy) {
        if (y % 2 == 0)
          points.acrossColumns.push_back(point);
      }
    }
  }
  return points;
}

// Bins per pixel of the projections.
constexpr int kBinsPerPixel = 2;

// How sharply the edges gather on straight lines at this angle: the sum of squares of their
// counts per row of the straightened page, and per column. Each point is shared between two
// half-pixel bins and the counts are smoothed by 1 2 1 before squaring: a point then adds
// nearly the same wherever it falls between bins, so the score does not favour angles that put
// whole lines on bin boundaries.
double Sharpness(const EdgePoints& points, double degrees) {
  const double a = degrees * std::numbers::pi / 180;
  const double c = std::cos(a) * kBinsPerPixel, s = std::sin(a) * kBinsPerPixel;
  std::vector<double> bins(static_cast<size_t>(2 * kBinsPerPixel * points.extent + 4));
  double sum = 0;
  const double offset = kBinsPerPixel * points.extent + 1;
  for (int pass = 0; pass < 2; ++pass) {
    std::fill(bins.begin(), bins.end(), 0.0);
    const std::vector<EdgePoint>& list = pass == 0 ? points.acrossRows : points.acrossColumns;
    for (const EdgePoint& p : list) {
      // Row of the straight page for horizontal lines, column for vertical ones.
      const double x = p.x, y = p.y;
      const double at = (pass == 0 ? -s * x + c * y : c * x + s * y) + offset;
      const double whole = std::floor(at);
      const auto bin = static_cast<size_t>(whole);
      bins[bin] += 1 - (at - whole);
      bins[bin + 1] += at - whole;
    }
    for (size_t i = 1; i + 1 < bins.size(); ++i) {
      const double smooth = bins[i - 1] + 2 * bins[i] + bins[i + 1];
      sum += smooth * smooth;
    }
  }
  return sum;
}

struct Search {
  double best;
  double score;
  double typical;  // the median score over the range
};

// Scores angles from -reach to reach about centre in steps; the best is refined by the
// parabola through it and its neighbours.
Search ScanAngles(const EdgePoints& points, double centre, double reach, double step) {
  const int count = static_cast<int>(std::lround(reach / step));
  std::vector<double> scores;
  for (int i = -count; i <= count; ++i)
    scores.push_back(Sharpness(points, centre + i * step));
  const auto top = std::max_element(scores.begin(), scores.end());
  const auto index = static_cast<size_t>(top - scores.begin());
  double shift = 0;
  if (index > 0 && index + 1 < scores.size()) {
    const double left = scores[index - 1], right = scores[index + 1];
    const double curve = left - 2 * *top + right;
    if (curve < 0)
      shift = std::clamp(0.5 * (left - right) / curve, -0.5, 0.5);
  }
  std::vector<double> sorted = scores;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2),
                   sorted.end());
  return {centre + (static_cast<double>(index) - count + shift) * step, *top,
          sorted[sorted.size() / 2]};
}

// A reduction for the coarse search, leaving the shorter side at least 400 pixels.
int CoarseFactor(const LumaPlane& luma) {
  return std::clamp(std::min(luma.width, luma.height) / 400, 1, 4);
}

// The best peak must stand this far above the typical score, or the page has no clear lines.
constexpr double kClearLines = 1.1;

}  // namespace

double EstimateSkew(const LumaPlane& luma) {
  if (luma.width < 16 || luma.height < 16)
    return 0;
  const int factor = CoarseFactor(luma);
  const EdgePoints coarse = FindEdges(factor > 1 ? Reduced(luma, factor) : luma);
  const Search first = ScanAngles(coarse, 0, kMaxSkew, 0.1);
  if (first.score <= kClearLines * first.typical)
    return 0;
  // At full size a line's edge is sharp enough to tell angles apart by hundredths of a degree.
  const EdgePoints fine = factor > 1 ? FindEdges(luma) : coarse;
  const Search second = ScanAngles(fine, first.best, 0.15, 0.025);
  const Search third = ScanAngles(fine, second.best, 0.02, 0.005);
  const double angle = std::clamp(third.best, -kMaxSkew, kMaxSkew);
  return std::abs(angle) < kLeastSkew ? 0 : angle;
}

}  // namespace tamsolo
