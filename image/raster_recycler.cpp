#include "image/raster_recycler.h"

namespace tamsolo {
namespace {

thread_local RasterRecycler* current = nullptr;

}  // namespace

RasterRecycler::RasterRecycler(size_t keepBytes) : keepBytes_(keepBytes), previous_(current) {
  current = this;
}

RasterRecycler::~RasterRecycler() {
  current = previous_;
}

RasterRecycler* RasterRecycler::Current() {
  return current;
}

std::unique_ptr<uint8_t[]> RasterRecycler::Take(size_t bytes, size_t& capacity) {
  if (!block_ || capacity_ < bytes)
    return nullptr;
  capacity = capacity_;
  capacity_ = 0;
  return std::move(block_);
}

void RasterRecycler::Give(std::unique_ptr<uint8_t[]> block, size_t capacity) {
  if (capacity > keepBytes_ || capacity <= capacity_)
    return;
  block_.reset();  // the smaller one goes first, so both are never held at once
  block_ = std::move(block);
  capacity_ = capacity;
}

}  // namespace tamsolo
