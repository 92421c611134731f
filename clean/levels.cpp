#include "clean/levels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tamsolo {
namespace {

// Paper must fill a tenth of the page within this distance of its peak; solid ink a two-hundredth,
// darker than half the paper's luma.
constexpr int kPeakReach = 12;
constexpr double kPaperShare = 0.10;
constexpr double kInkShare = 0.005;
// Paper and ink closer than this are no page to stretch.
constexpr int kLeastRange = 64;
// The share of the range each rounded end takes.
constexpr double kKnee = 0.05;

std::vector<double> Smoothed(const std::vector<uint32_t>& histogram) {
  std::vector<double> out(256, 0.0);
  for (int v = 0; v < 256; ++v) {
    for (int d = -2; d <= 2; ++d)
      out[static_cast<size_t>(v)] += histogram[static_cast<size_t>(std::clamp(v + d, 0, 255))];
  }
  return out;
}

// The highest bin in [from, to]; the first of equals seen from the searched end.
int PeakIn(const std::vector<double>& smooth, int from, int to, bool fromTop) {
  int best = fromTop ? to : from;
  for (int i = 0; i <= to - from; ++i) {
    const int v = fromTop ? to - i : from + i;
    if (smooth[static_cast<size_t>(v)] > smooth[static_cast<size_t>(best)])
      best = v;
  }
  return best;
}

double MassNear(const std::vector<uint32_t>& histogram, int peak) {
  double mass = 0;
  for (int v = std::max(0, peak - kPeakReach); v <= std::min(255, peak + kPeakReach); ++v)
    mass += histogram[static_cast<size_t>(v)];
  return mass;
}

// Twice the distance from peak, going by step, to where the histogram falls under half the
// peak: past the noise of the tone, never into the screentones and washes beside it, however
// many there are. A weak peak on a plateau of washes ends kPeakReach away.
int FootOf(const std::vector<uint32_t>& histogram, int peak, int step) {
  const uint32_t half = histogram[static_cast<size_t>(peak)] / 2;
  int v = peak;
  while (std::abs(v - peak) < kPeakReach / 2 && v + step >= 0 && v + step <= 255 &&
         histogram[static_cast<size_t>(v + step)] > half)
    v += step;
  return std::clamp(peak + 2 * (v + step - peak), 0, 255);
}

// The highest bin of the raw histogram within two of a smoothed peak.
int RawPeak(const std::vector<uint32_t>& histogram, int near) {
  int best = near;
  for (int v = std::max(0, near - 2); v <= std::min(255, near + 2); ++v) {
    if (histogram[static_cast<size_t>(v)] > histogram[static_cast<size_t>(best)])
      best = v;
  }
  return best;
}

}  // namespace

std::optional<LevelsPoints> FindLevels(const std::vector<uint32_t>& histogram) {
  double total = 0;
  for (const uint32_t count : histogram)
    total += count;
  if (total == 0)
    return std::nullopt;
  const std::vector<double> smooth = Smoothed(histogram);
  const int paper = PeakIn(smooth, 128, 255, true);
  if (MassNear(histogram, paper) < kPaperShare * total)
    return std::nullopt;
  // Solid ink holds at least kInkShare of the page, so its peak lies just above that share's
  // level, however many washes and tones fill the histogram above it.
  int darkest = 0;
  for (double seen = histogram[0]; seen < kInkShare * total;
       seen += histogram[static_cast<size_t>(darkest)])
    ++darkest;
  const int ink = PeakIn(smooth, darkest, std::min(255, darkest + kPeakReach), false);
  if (ink > paper / 2 || MassNear(histogram, ink) < kInkShare * total)
    return std::nullopt;
  const LevelsPoints points{FootOf(histogram, RawPeak(histogram, ink), 1),
                            FootOf(histogram, RawPeak(histogram, paper), -1)};
  if (points.white - points.black < kLeastRange)
    return std::nullopt;
  return points;
}

std::array<uint8_t, 256> LevelsCurve(const LevelsPoints& points) {
  // A line of slope 1 / (1 - kKnee) meeting 0 and 1 through parabolas of width kKnee, so the
  // curve and its slope are continuous.
  const double slope = 1 / (1 - kKnee);
  std::array<uint8_t, 256> curve{};
  for (int v = 0; v < 256; ++v) {
    const double t = std::clamp(
        static_cast<double>(v - points.black) / static_cast<double>(points.white - points.black),
        0.0, 1.0);
    double g = slope * (t - kKnee / 2);
    if (t < kKnee)
      g = slope * t * t / (2 * kKnee);
    else if (t > 1 - kKnee)
      g = 1 - slope * (1 - t) * (1 - t) / (2 * kKnee);
    curve[static_cast<size_t>(v)] = static_cast<uint8_t>(std::lround(255 * g));
  }
  return curve;
}

}  // namespace tamsolo
