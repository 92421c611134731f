#include "decode/png/png_samples.h"

#include <cstring>

namespace tamsolo {

template <int kBits>
void PngSampleMapper::MapPacked(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep,
                                const PngSampleMapper& self) {
  constexpr unsigned kPerByte = 8 / kBits;
  constexpr unsigned kMask = (1u << kBits) - 1;
  for (uint32_t i = 0; i < count; ++i, dst += dstStep) {
    const unsigned shift = 8 - kBits - (i % kPerByte) * kBits;
    const uint8_t* color = self.colors_[(row[i / kPerByte] >> shift) & kMask];
    dst[0] = color[0];
    dst[1] = color[1];
    dst[2] = color[2];
  }
}

template <int kStep>
void PngSampleMapper::MapIndexed(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep,
                                 const PngSampleMapper& self) {
  for (uint32_t i = 0; i < count; ++i, row += kStep, dst += dstStep) {
    const uint8_t* color = self.colors_[row[0]];
    dst[0] = color[0];
    dst[1] = color[1];
    dst[2] = color[2];
  }
}

template <int kStep, int kChannelStep>
void PngSampleMapper::MapRgb(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep,
                             const PngSampleMapper& self) {
  const uint8_t* gamma = self.gamma_.data();
  for (uint32_t i = 0; i < count; ++i, row += kStep, dst += dstStep) {
    dst[0] = gamma[row[0]];
    dst[1] = gamma[row[kChannelStep]];
    dst[2] = gamma[row[2 * kChannelStep]];
  }
}

void PngSampleMapper::CopyRgb(const uint8_t* row, uint32_t count, uint8_t* dst, size_t dstStep,
                              const PngSampleMapper&) {
  if (dstStep == 3) {
    std::memcpy(dst, row, size_t{count} * 3);
    return;
  }
  for (uint32_t i = 0; i < count; ++i, row += 3, dst += dstStep) {
    dst[0] = row[0];
    dst[1] = row[1];
    dst[2] = row[2];
  }
}

PngSampleMapper::PngSampleMapper(const PngHeader& header, std::span<const PaletteColor> palette,
                                 const GammaTable& gamma)
    : map_(ChooseMap(header, gamma == IdentityGammaTable())), gamma_(gamma) {
  if (header.colorType != kPngRgb && header.colorType != kPngRgbAlpha)
    BuildColors(header, palette);
}

void PngSampleMapper::BuildColors(const PngHeader& header, std::span<const PaletteColor> palette) {
  const int depth = header.bitDepth;
  const unsigned values = depth >= 8 ? 256 : 1u << depth;
  // The depth the image is held at decides its fixed palette.
  std::span<const PaletteColor> fixed = HalftonePalette();
  if (depth == 1)
    fixed = BlackWhitePalette();
  else if (depth <= 4)
    fixed = SixteenColorPalette();
  for (unsigned v = 0; v < values; ++v) {
    PaletteColor color{0, 0, 0};
    if (header.colorType == kPngPalette) {
      if (v < palette.size())
        color = palette[v];
    } else {
      // 16-bit samples are looked up by their most significant byte, already a level.
      const unsigned level = depth >= 8 ? v : 255 * v / ((1u << depth) - 1);
      const uint8_t gray = gamma_[level];
      color = {gray, gray, gray};
    }
    const PaletteColor& reduced = fixed[NearestColorIndex(fixed, color)];
    colors_[v][0] = reduced.red;
    colors_[v][1] = reduced.green;
    colors_[v][2] = reduced.blue;
  }
  // Entries past the sample values stay black, which is gray too.
  onlyGrays_ = true;
  for (const uint8_t* color : colors_)
    onlyGrays_ = onlyGrays_ && color[0] == color[1] && color[1] == color[2];
}

PngSampleMapper::RowMap PngSampleMapper::ChooseMap(const PngHeader& header, bool identityGamma) {
  const bool wide = header.bitDepth == 16;
  switch (header.colorType) {
    case kPngRgb:
      if (wide)
        return &MapRgb<6, 2>;
      return identityGamma ? &CopyRgb : &MapRgb<3, 1>;
    case kPngRgbAlpha:
      return wide ? &MapRgb<8, 2> : &MapRgb<4, 1>;
    case kPngGrayAlpha:
      return wide ? &MapIndexed<4> : &MapIndexed<2>;
    default:
      break;
  }
  switch (header.bitDepth) {
    case 1:
      return &MapPacked<1>;
    case 2:
      return &MapPacked<2>;
    case 4:
      return &MapPacked<4>;
    case 16:
      return &MapIndexed<2>;
    default:
      return &MapIndexed<1>;
  }
}

}  // namespace tamsolo
