#pragma once

namespace tamsolo {

// Columns left..right and rows top..bottom of an image, right and bottom exclusive.
struct ContentBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const ContentBox&) const = default;
};

}  // namespace tamsolo
