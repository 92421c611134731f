#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace tamsolo {

// A raster of 8-bit red, green, blue triples, rows top to bottom, no padding and no alpha.
// Move-only: images are large and have exactly one owner at a time.
class RgbImage {
 public:
  RgbImage() = default;
  // Allocates width x height pixels without clearing them; every user writes all of them.
  // Throws Error for negative sizes or a size that does not fit in memory.
  RgbImage(int width, int height);

  // A moved-from image is empty and holds no buffer.
  RgbImage(RgbImage&& other) noexcept;
  RgbImage& operator=(RgbImage&& other) noexcept;
  ~RgbImage();
  RgbImage(const RgbImage&) = delete;
  RgbImage& operator=(const RgbImage&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  size_t Stride() const { return static_cast<size_t>(width_) * 3; }
  size_t ByteSize() const { return Stride() * static_cast<size_t>(height_); }

  uint8_t* Row(int y) { return pixels_.get() + Stride() * static_cast<size_t>(y); }
  const uint8_t* Row(int y) const { return pixels_.get() + Stride() * static_cast<size_t>(y); }
  uint8_t* Data() { return pixels_.get(); }
  const uint8_t* Data() const { return pixels_.get(); }

  RgbImage Clone() const;

  // Known to hold R = G = B in every pixel: set by whoever filled it that way (a gray decode,
  // a scaling of a gray image), cleared by Reshape. Unset says nothing; scaling a known gray
  // image works on one channel and copies it, with the same bytes at a third of the work.
  bool KnownGray() const { return knownGray_; }
  void SetKnownGray(bool gray) { knownGray_ = gray; }

  // Gives the image a new size, keeping its pixel buffer when that holds enough bytes, so a
  // thread that scales image after image touches fresh memory only when one is larger than
  // any before. The pixels are left as they are; every user writes all of them.
  void Reshape(int width, int height);

 private:
  int width_ = 0;
  int height_ = 0;
  bool knownGray_ = false;
  void Release();

  size_t capacity_ = 0;
  std::unique_ptr<uint8_t[]> pixels_;
};

}  // namespace tamsolo
