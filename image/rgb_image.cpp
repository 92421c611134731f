#include "image/rgb_image.h"

#include <cstring>
#include <new>

#include "image/raster_recycler.h"
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
      knownGray_(std::exchange(other.knownGray_, false)),
      capacity_(std::exchange(other.capacity_, 0)),
      pixels_(std::move(other.pixels_)) {}

RgbImage::~RgbImage() {
  Release();
}

// The buffer goes to the thread's recycler when there is one.
void RgbImage::Release() {
  if (RasterRecycler* recycler = RasterRecycler::Current(); recycler && pixels_)
    recycler->Give(std::move(pixels_), capacity_);
  pixels_.reset();
  capacity_ = 0;
}

RgbImage& RgbImage::operator=(RgbImage&& other) noexcept {
  if (this == &other)
    return *this;
  Release();
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  knownGray_ = std::exchange(other.knownGray_, false);
  capacity_ = std::exchange(other.capacity_, 0);
  pixels_ = std::move(other.pixels_);
  return *this;
}

void RgbImage::Reshape(int width, int height) {
  const size_t bytes = CheckedBytes(width, height);
  if (bytes > capacity_) {
    Release();
    if (RasterRecycler* recycler = RasterRecycler::Current())
      pixels_ = recycler->Take(bytes, capacity_);
    if (!pixels_) {
      pixels_ = std::make_unique_for_overwrite<uint8_t[]>(bytes);
      capacity_ = bytes;
    }
  }
  width_ = width;
  height_ = height;
  knownGray_ = false;
}

RgbImage RgbImage::Clone() const {
  RgbImage copy(width_, height_);
  if (ByteSize() != 0)
    std::memcpy(copy.Data(), Data(), ByteSize());
  copy.knownGray_ = knownGray_;
  return copy;
}

}  // namespace tamsolo
