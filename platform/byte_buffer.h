#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace tamsolo {

// An allocator whose growth leaves the new elements uninitialised, for room that is about to
// be overwritten: zero-filling an archive entry of tens of MiB before inflating into it costs
// a pass over its memory that the file path does not pay.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  using std::allocator<T>::allocator;
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  template <class U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <class U, class... Args>
  void construct(U* place, Args&&... args) {
    ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
  }
};

// Bytes read into memory, such as an archive entry's.
using ByteBuffer = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

}  // namespace tamsolo
