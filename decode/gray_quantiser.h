#pragma once

#include <cstdint>
#include <vector>

namespace tamsolo {

// libjpeg's one-pass quantiser as it treats gray output (236 levels, Floyd-Steinberg
// dithering), rebuilt so that the gray rows can be decoded with the library's quantiser off
// and still come out in the very same bytes. Level k has the value (255k + 117) div 235. One
// object quantises one image, its rows in order from the top.
//
// The library's index rule makes every pixel's error 0 or +1 (in whole values), so the error
// carried into a pixel rounds to 0 or 1, and what the next row needs of this one is two bits
// per column. A row is then a chain of one-bit selects, left to right or right to left, and
// everything else is independent per column.
class GrayQuantiser {
 public:
  explicit GrayQuantiser(uint32_t width);

  // Quantises the next row of width gray values and writes each pixel's level value three
  // times (red, green, blue) to rgb.
  void QuantiseRow(const uint8_t* gray, uint8_t* rgb);

 private:
  uint32_t width_;
  bool oddRow_ = false;
  // Per column, what the row above passes down, in sixteenths E = e(before) + 5 e + 3 e(after)
  // of its errors: 0 when E is 0, 1 when E is 1..7, 2 when E is 8 or more.
  std::vector<uint8_t> fromAbove_;
  // The errors of the current row, with a zero at each end.
  std::vector<uint8_t> errors_;
  std::vector<uint8_t> values_;  // the row's level values, before they are tripled
};

}  // namespace tamsolo
