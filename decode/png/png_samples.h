#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "decode/png/halftone_palette.h"
#include "decode/png/png_format.h"
#include "decode/png/png_gamma.h"

namespace tamsolo {

// Turns the unfiltered rows of one PNG image into RGB pixels: 16-bit samples give their most
// significant byte, alpha is dropped, the gamma table applies, and images held at 8 bits per
// pixel or less are reduced to their fixed palette. Every gray, palette and gray-alpha image
// has at most 256 distinct sample values, so the colour of each one, reduction included, is
// worked out once here and a pixel costs one table look-up.
class PngSampleMapper {
 public:
  // palette: the PLTE entries with the gamma table of their reading already applied.
  PngSampleMapper(const PngHeader& header, std::span<const PaletteColor> palette,
                  const GammaTable& gamma);

  // Maps count pixels of an unfiltered row, writing one RGB triple every dstStep bytes.
  void MapRow(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep) const {
    map_(row, count, dst, dstStep, *this);
  }

  // True when every pixel this maps comes out with red = green = blue.
  bool OnlyGrays() const { return onlyGrays_; }

  // The colour a gray, palette or gray-alpha sample value ends as (after reduction).
  PaletteColor ColorOfSample(unsigned value) const {
    return {colors_[value][0], colors_[value][1], colors_[value][2]};
  }

 private:
  using RowMap = void (*)(const uint8_t*, uint32_t, uint8_t*, size_t, const PngSampleMapper&);

  template <int kBits>
  static void MapPacked(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep,
                        const PngSampleMapper& self);
  template <int kStep>
  static void MapIndexed(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep,
                         const PngSampleMapper& self);
  template <int kStep, int kChannelStep>
  static void MapRgb(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep,
                     const PngSampleMapper& self);
  static void CopyRgb(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep,
                      const PngSampleMapper& self);

  void BuildColors(const PngHeader& header, std::span<const PaletteColor> palette);
  static RowMap ChooseMap(const PngHeader& header, bool identityGamma);

  RowMap map_;
  GammaTable gamma_;
  uint8_t colors_[256][3] = {};
  bool onlyGrays_ = false;
};

}  // namespace tamsolo
