#include "convert/true_color_view.h"

#include <string>

#include "platform/error.h"

namespace tamsolo {

PackedColor TrueColorView::Pixels(int32_t x, int32_t y) const {
  if (x < 0 || x >= Width() || y < 0 || y >= Height())
    throw Error("Pixel position (" + std::to_string(x) + ", " + std::to_string(y) +
                ") outside the image");
  const uint8_t* pixel = image_->Row(y) + static_cast<size_t>(x) * 3;
  return static_cast<PackedColor>(pixel[0]) | static_cast<PackedColor>(pixel[1]) << 8 |
         static_cast<PackedColor>(pixel[2]) << 16;
}

}  // namespace tamsolo
