#include "decode/png/halftone_palette.h"

#include <array>
#include <limits>

namespace tamsolo {
namespace {

constexpr std::array<PaletteColor, 2> kBlackWhite = {{{0, 0, 0}, {255, 255, 255}}};

constexpr std::array<PaletteColor, 16> kSixteen = {{{0, 0, 0},
                                                    {128, 0, 0},
                                                    {0, 128, 0},
                                                    {128, 128, 0},
                                                    {0, 0, 128},
                                                    {128, 0, 128},
                                                    {0, 128, 128},
                                                    {128, 128, 128},
                                                    {192, 192, 192},
                                                    {255, 0, 0},
                                                    {0, 255, 0},
                                                    {255, 255, 0},
                                                    {0, 0, 255},
                                                    {255, 0, 255},
                                                    {0, 255, 255},
                                                    {255, 255, 255}}};

// The halftone palette is built from three parts, in this order:
//  1. the 16 fixed colours above (entries 0-15);
//  2. the 208 colours of the 6x6x6 cube with channel steps 0, 51, 102, 153, 204, 255 that
//     the 16 do not already hold (black, white and the six full primaries and secondaries),
//     red slowest, blue fastest (entries 16-223);
//  3. a ramp of 32 grays (entries 224-255) that keeps every 8-bit gray on its page level.
// A page level k holds the grays 17k to 17k+16 (level 15 is 255 alone). The cube's grays 51,
// 102, 153, 204 and 255 sit exactly on the first gray of a level, so a plain cube would pull
// the last gray of the level below (50, 101, ...) up one level. The ramp therefore holds that
// last gray of each such level (50, 101, 152, 203, 254), and for every level 0-14 the gray 12
// above its first one, plus the gray 4 above it where the level does not already start on a
// cube gray. Every gray then lies nearer to a palette gray of its own level than to any other
// palette colour (at most 6 away; off-axis cube colours are at least sqrt(1734) away from any
// gray). The last two slots tighten the two darkest cube-started levels with 6 and 57.
constexpr std::array<uint8_t, 32> kRampGrays = {
    6,   12,  21,  29,  38,  46,  50,  57,  63,  72,  80,  89,  97,  101, 114, 123,
    131, 140, 148, 152, 165, 174, 182, 191, 199, 203, 216, 225, 233, 242, 250, 254};

constexpr bool InSixteen(PaletteColor color) {
  for (const PaletteColor& entry : kSixteen) {
    if (entry == color)
      return true;
  }
  return false;
}

constexpr std::array<PaletteColor, 256> BuildHalftone() {
  std::array<PaletteColor, 256> palette{};
  size_t next = 0;
  for (const PaletteColor& entry : kSixteen)
    palette[next++] = entry;
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        const PaletteColor color{static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g),
                                 static_cast<uint8_t>(51 * b)};
        if (!InSixteen(color))
          palette[next++] = color;
      }
    }
  }
  for (uint8_t gray : kRampGrays)
    palette[next++] = {gray, gray, gray};
  return next == 256 ? palette : throw "halftone palette must have exactly 256 entries";
}

constexpr std::array<PaletteColor, 256> kHalftone = BuildHalftone();

}  // namespace

std::span<const PaletteColor> BlackWhitePalette() {
  return kBlackWhite;
}
std::span<const PaletteColor> SixteenColorPalette() {
  return kSixteen;
}
std::span<const PaletteColor> HalftonePalette() {
  return kHalftone;
}

size_t NearestColorIndex(std::span<const PaletteColor> palette, PaletteColor color) {
  size_t best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (size_t i = 0; i < palette.size(); ++i) {
    const int dr = palette[i].red - color.red;
    const int dg = palette[i].green - color.green;
    const int db = palette[i].blue - color.blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

}  // namespace tamsolo
