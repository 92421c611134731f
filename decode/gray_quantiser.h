#pragma once

#include <cstdint>
#include <vector>

namespace tamsolo {

// libjpeg's one-pass quantiser as it treats gray output (236 levels, Floyd-Steinberg
// dithering), rebuilt so that the gray rows can be decoded with the library's quantiser off
// and still come out in the very same bytes. Level k has the value (255k + 117) div 235. One
// object quantises one image, its rows in order from the top.
class GrayQuantiser {
 public:
  explicit GrayQuantiser(uint32_t width);

  // Quantises the next row of width gray values and writes each pixel's level value three
  // times (red, green, blue) to rgb.
  void QuantiseRow(const uint8_t* gray, uint8_t* rgb);

 private:
  uint32_t width_;
  bool oddRow_ = false;
  // The errors passed to the next row, in sixteenths, one per column and a dummy at each end,
  // as the library keeps them.
  std::vector<int16_t> errors_;
};

}  // namespace tamsolo
