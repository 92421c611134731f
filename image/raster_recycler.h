#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tamsolo {

// While one lives on a thread, an RgbImage released on that thread leaves its pixel buffer
// here (one buffer, up to keepBytes), and the next image allocated on the thread takes it
// when it is large enough: a thread decoding file after file then writes into memory it has
// touched before instead of faulting in a fresh raster each time. Without one, images
// allocate and free as usual. Scopes nest; each thread has its own.
class RasterRecycler {
 public:
  explicit RasterRecycler(size_t keepBytes);
  ~RasterRecycler();
  RasterRecycler(const RasterRecycler&) = delete;
  RasterRecycler& operator=(const RasterRecycler&) = delete;

  // The calling thread's innermost recycler, or null.
  static RasterRecycler* Current();

  // The kept buffer when it holds at least bytes (its size in capacity), or null.
  std::unique_ptr<uint8_t[]> Take(size_t bytes, size_t& capacity);
  // Keeps block in place of a smaller one, when it is within the limit.
  void Give(std::unique_ptr<uint8_t[]> block, size_t capacity);

  size_t KeptBytes() const { return capacity_; }

 private:
  size_t keepBytes_;
  std::unique_ptr<uint8_t[]> block_;
  size_t capacity_ = 0;
  RasterRecycler* previous_;
};

}  // namespace tamsolo
