#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// A small built-in font for the preview's texts: printable ASCII in glyphs of 5 x 7 with one
// more row for descenders, drawn 6 columns apart. Any other byte is drawn as '?'.
inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 8;
inline constexpr int kGlyphAdvance = 6;

// The text with every character outside printable ASCII replaced by one '?': a UTF-8
// character, or in the Windows style a double-byte character, whose trail byte may look like
// ASCII.
std::string AsciiText(std::string_view text, PathStyle style);

// Row row (0 at the top) of the glyph for byte c: bit 4 is the leftmost column.
uint8_t GlyphRow(unsigned char c, int row);

}  // namespace tamsolo
