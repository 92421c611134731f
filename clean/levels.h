#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tamsolo {

// The lumas at and beyond which a page shows solid ink (black) and bare paper (white).
struct LevelsPoints {
  int black = 0;
  int white = 255;
};

// The paper is the brightest strong peak of a luma histogram and the solid ink the darkest;
// each point sits twice the peak's half width beyond it, so the noise of the paper turns white
// too. None when the page has no paper (full-bleed art) or no solid ink, which are left alone.
std::optional<LevelsPoints> FindLevels(const std::vector<uint32_t>& histogram);

// 0 up to black, 255 from white, between them a straight line with rounded ends: smooth and
// never falling, so screentones and washes keep their order.
std::array<uint8_t, 256> LevelsCurve(const LevelsPoints& points);

}  // namespace tamsolo
