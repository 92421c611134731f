#include "image/rgb_image.h"

#include <cstring>
#include <new>

#include "platform/error.h"

namespace tamsolo {

namespace {

size_t CheckedBytes(int width, int height) {
  if (width < 0 || height < 0)
    throw Error("Invalid image size");
  const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3;
  if (bytes > SIZE_MAX / 2)
    throw Error("Image too large");
  return static_cast<size_t>(bytes);
}

}  // namespace

RgbImage::RgbImage(int width, int height) {
  Reshape(width, height);
}

RgbImage::RgbImage(RgbImage&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      pixels_(std::move(other.pixels_)) {}

RgbImage& RgbImage::operator=(RgbImage&& other) noexcept {
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  pixels_ = std::move(other.pixels_);
  return *this;
}

void RgbImage::Reshape(int width, int height) {
  const size_t bytes = CheckedBytes(width, height);
  if (bytes > capacity_) {
    pixels_.reset();
    capacity_ = 0;
    pixels_ = std::make_unique_for_overwrite<uint8_t[]>(bytes);
    capacity_ = bytes;
  }
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
