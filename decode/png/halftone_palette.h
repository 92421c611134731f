#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tamsolo {

struct PaletteColor {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  friend bool operator==(const PaletteColor&, const PaletteColor&) = default;
};

// The fixed palettes that PNG images held at 1, 4 and 8 bits per pixel are reduced to.
std::span<const PaletteColor> BlackWhitePalette();
std::span<const PaletteColor> SixteenColorPalette();
std::span<const PaletteColor> HalftonePalette();

// The entry with the least squared RGB distance to color; ties go to the lower index.
size_t NearestColorIndex(std::span<const PaletteColor> palette, PaletteColor color);

}  // namespace tamsolo
