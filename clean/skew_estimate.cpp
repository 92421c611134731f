#include "clean/skew_estimate.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdlib>
#include <vector>

namespace tamsolo {
namespace {

// A point on a sharp edge: across a horizontal line (the luma changes down the page) or across
// a vertical one, relative to the full-size plane's centre, in its pixels.
struct EdgePoint {
  float x;
  float y;
};

struct EdgePoints {
  // extent is the full-size plane's diagonal and a little: the reach of any projection.
  EdgePoints(int width, int height, int reduction)
      : unit(reduction), extent(static_cast<int>(std::ceil(std::hypot(width, height))) + 4) {}

  std::vector<EdgePoint> acrossRows;     // on horizontal lines
  std::vector<EdgePoint> acrossColumns;  // on vertical lines
  int unit;                              // full-size pixels per pixel of the plane searched
  int extent;
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

enum class Edge { None, AcrossRow, AcrossColumn };

// Where the luma changes by step across two pixels, mainly in one direction. x and y are
// inside the plane's one-pixel border.
inline Edge EdgeAt(const LumaPlane& luma, int x, int y, int step) {
  const uint8_t* row = luma.Row(y);
  const int dy = std::abs(luma.Row(y + 1)[x] - luma.Row(y - 1)[x]);
  const int dx = std::abs(row[x + 1] - row[x - 1]);
  if (dy >= step && dy > 2 * dx)
    return Edge::AcrossRow;
  if (dx >= step && dx > 2 * dy)
    return Edge::AcrossColumn;
  return Edge::None;
}

// Every edge point of a plane reduced by unit from a full-size plane of width x height. Every
// other point along a line is kept: its neighbours tell no more about where the line lies, and
// each angle's score costs half.
EdgePoints FindEdges(const LumaPlane& luma, int unit, int width, int height, int step) {
  EdgePoints points(width, height, unit);
  const float cx = static_cast<float>(width) / 2, cy = static_cast<float>(height) / 2;
  const auto f = static_cast<float>(unit);
  for (int y = 1; y + 1 < luma.height; ++y) {
    for (int x = 1; x + 1 < luma.width; ++x) {
      const Edge edge = EdgeAt(luma, x, y, step);
      const EdgePoint point{(static_cast<float>(x) + 0.5f) * f - cx,
                            (static_cast<float>(y) + 0.5f) * f - cy};
      if (edge == Edge::AcrossRow && x % 2 == 0)
        points.acrossRows.push_back(point);
      else if (edge == Edge::AcrossColumn && y % 2 == 0)
        points.acrossColumns.push_back(point);
    }
  }
  return points;
}

// Bins per pixel of the points' plane in the projections.
constexpr int kBinsPerPixel = 2;

// A point's place across its lines at the angle with cosine c and sine s: the row of the
// straight page for a point across a row, the column for one across a column.
inline double Across(const EdgePoint& p, bool acrossRow, double c, double s) {
  const double x = p.x, y = p.y;
  return acrossRow ? -s * x + c * y : c * x + s * y;
}

// How sharply the edges gather on straight lines at this angle: the sum of squares of their
// counts per row of the straightened page, and per column. Each point is shared between two
// half-pixel bins and the counts are smoothed by 1 2 1 before squaring: a point then adds
// nearly the same wherever it falls between bins, so the score does not favour angles that put
// whole lines on bin boundaries.
double Sharpness(const EdgePoints& points, double degrees, std::vector<double>& bins) {
  const double a = degrees * std::numbers::pi / 180;
  const double perUnit = static_cast<double>(kBinsPerPixel) / points.unit;
  const double c = std::cos(a) * perUnit, s = std::sin(a) * perUnit;
  bins.resize(static_cast<size_t>(2 * perUnit * points.extent + 4));
  double sum = 0;
  const double offset = perUnit * points.extent + 1;
  for (const bool acrossRow : {true, false}) {
    std::fill(bins.begin(), bins.end(), 0.0);
    for (const EdgePoint& p : acrossRow ? points.acrossRows : points.acrossColumns) {
      const double at = Across(p, acrossRow, c, s) + offset;
      // at is positive, so truncation is the floor, without a call before SSE4.1.
      const auto bin = static_cast<size_t>(at);
      const double part = at - static_cast<double>(bin);
      bins[bin] += 1 - part;
      bins[bin + 1] += part;
    }
    for (size_t i = 1; i + 1 < bins.size(); ++i) {
      const double smooth = bins[i - 1] + 2 * bins[i] + bins[i + 1];
      sum += smooth * smooth;
    }
  }
  return sum;
}

// Spans across the lines, in full-size pixels about the centre.
struct Band {
  double from;
  double to;
};

// The long lines among points at the angle: the bins of one pixel of the points' plane that,
// with their two neighbours, hold at least least points and three times as many as the lesser
// of the same spans kGap bins to either side, so that a texture's many short edges do not pass
// for lines. Each is widened by margin and the overlapping ones merged.
std::vector<Band> LongLines(const EdgePoints& points, bool acrossRow, double degrees, double least,
                            double margin) {
  constexpr int kGap = 4;
  const double a = degrees * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a);
  const double unit = points.unit;
  const int count = 2 * points.extent / points.unit + 4 + 2 * (kGap + 1);
  std::vector<uint32_t> bins(static_cast<size_t>(count), 0);
  const double offset = points.extent / unit + 2 + kGap + 1;
  for (const EdgePoint& p : acrossRow ? points.acrossRows : points.acrossColumns)
    ++bins[static_cast<size_t>(Across(p, acrossRow, c, s) / unit + offset)];
  const auto three = [&](int i) {
    const auto at = static_cast<size_t>(i);
    return bins[at - 1] + bins[at] + bins[at + 1];
  };
  std::vector<Band> bands;
  for (int i = kGap + 1; i + kGap + 1 < count; ++i) {
    const uint32_t here = three(i);
    if (here < least || here < 3 * std::min(three(i - kGap), three(i + kGap)))
      continue;
    const Band band{(i - offset) * unit - margin, (i + 1 - offset) * unit + margin};
    if (!bands.empty() && band.from <= bands.back().to)
      bands.back().to = band.to;
    else
      bands.push_back(band);
  }
  return bands;
}

// The edge points of the full-size plane that lie in the bands at the angle: those across rows
// on every fourth column, those across columns on every fourth row. A long line keeps hundreds.
EdgePoints EdgesInBands(const LumaPlane& luma, double degrees, const std::vector<Band>& rows,
                        const std::vector<Band>& columns, int step) {
  EdgePoints points(luma.width, luma.height, 1);
  const double a = degrees * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a);
  const double cx = luma.width / 2.0, cy = luma.height / 2.0;
  // A band across rows holds the pixels whose -s x + c y falls in it: in column x, the rows
  // from (from + s x) / c to (to + s x) / c. Likewise for columns with the roles swapped.
  const auto scan = [&](const std::vector<Band>& bands, bool acrossRow) {
    const int length = acrossRow ? luma.width : luma.height;
    const int side = acrossRow ? luma.height : luma.width;
    const double centre = acrossRow ? cy : cx;
    const double along = acrossRow ? cx : cy;
    const double lean = acrossRow ? s : -s;
    std::vector<EdgePoint>& out = acrossRow ? points.acrossRows : points.acrossColumns;
    for (const Band& band : bands) {
      for (int i = 4; i + 1 < length; i += 4) {
        const double u = i + 0.5 - along;
        const int first =
            std::max(1, static_cast<int>(std::floor((band.from + lean * u) / c + centre)));
        const int last =
            std::min(side - 2, static_cast<int>(std::ceil((band.to + lean * u) / c + centre)));
        for (int j = first; j <= last; ++j) {
          const int x = acrossRow ? i : j, y = acrossRow ? j : i;
          if (EdgeAt(luma, x, y, step) == (acrossRow ? Edge::AcrossRow : Edge::AcrossColumn))
            out.push_back({static_cast<float>(x + 0.5 - cx), static_cast<float>(y + 0.5 - cy)});
        }
      }
    }
  };
  scan(rows, true);
  scan(columns, false);
  return points;
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
  std::vector<double> bins;
  for (int i = -count; i <= count; ++i)
    scores.push_back(Sharpness(points, centre + i * step, bins));
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
  const LumaPlane reduced = factor > 1 ? Reduced(luma, factor) : LumaPlane();
  const LumaPlane& small = factor > 1 ? reduced : luma;
  const int step = EdgeStep(small);
  const EdgePoints coarse = FindEdges(small, factor, luma.width, luma.height, step);
  const Search first = ScanAngles(coarse, 0, kMaxSkew, 0.1);
  if (first.score <= kClearLines * first.typical)
    return 0;
  // At full size a line's edge is sharp enough to tell angles apart by hundredths of a degree.
  // Only the long lines matter there, so only the bands round those the coarse search found are
  // searched for edges: a line that spans an eighth of the page, with room for the coarse
  // angle's error along it.
  EdgePoints fine = coarse;
  if (factor > 1) {
    const double margin = factor + 2.0;
    const std::vector<Band> rows =
        LongLines(coarse, true, first.best, luma.width / (16.0 * factor), margin);
    const std::vector<Band> columns =
        LongLines(coarse, false, first.best, luma.height / (16.0 * factor), margin);
    fine = EdgesInBands(luma, first.best, rows, columns, step);
  }
  const Search second = ScanAngles(fine, first.best, 0.1, 0.025);
  const Search third = ScanAngles(fine, second.best, 0.01, 0.005);
  const double angle = std::clamp(third.best, -kMaxSkew, kMaxSkew);
  return std::abs(angle) < kLeastSkew ? 0 : angle;
}

}  // namespace tamsolo
