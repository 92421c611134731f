#pragma once

#include <cstdint>

#include "convert/page_image.h"
#include "convert/rgb_image.h"

namespace tamsolo {

// The job's 24-bit read of the scaled image. The scaled RgbImage already holds exactly the
// values a 24-bit copy would, so this is a read-only view of it rather than a second buffer;
// the image must outlive the view. Hot loops read whole rows of the image instead.
class TrueColorView {
 public:
  void Assign(const RgbImage& image) { image_ = &image; }
  int32_t Width() const { return image_ ? image_->Width() : 0; }
  int32_t Height() const { return image_ ? image_->Height() : 0; }
  // Checked read of column x of picture row y (0 = top): red in bits 0-7, green in bits 8-15,
  // blue in bits 16-23.
  PackedColor Pixels(int32_t x, int32_t y) const;

 private:
  const RgbImage* image_ = nullptr;
};

}  // namespace tamsolo
