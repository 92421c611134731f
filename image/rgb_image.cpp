#include "image/rgb_image.h"

#include <cstring>
#include <new>

#include "platform/error.h"

namespace tamsolo {

RgbImage::RgbImage(int width, int height) {
  if (width < 0 || height < 0)
    throw Error("Invalid image size");
  const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
  if (bytes > SIZE_MAX / 2)
    throw Error("Image too large");
  if (bytes != 0)
    pixels_ = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(bytes));
  width_ = width;
  height_ = height;
}

RgbImage RgbImage::Clone() const {
  RgbImage copy(width_, height_);
  if (ByteSize() != 0)
    std::memcpy(copy.Data(), Data(), ByteSize());
  return copy;
}

}  // namespace tamsolo
