#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/large_pages.h"

namespace tamsolo {

// An allocator whose growth leaves the new elements uninitialised, for room that is about to
// be overwritten: zero-filling an archive entry of tens of MiB before inflating into it costs
// a pass over its memory that the file path does not pay.
// Room of a large page or more is aligned to one and offered to the system for large pages.
// The member names are the ones the standard containers call.
// NOLINTBEGIN(readability-identifier-naming)
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
  using std::allocator<T>::allocator;
  template <class U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  T* allocate(size_t count) {
    if (count < kLargePageBytes / sizeof(T))
      return std::allocator<T>::allocate(count);
    void* room = ::operator new (count * sizeof(T), std::align_val_t{kLargePageBytes});
    AdviseLargePages(room, count * sizeof(T));
    return static_cast<T*>(room);
  }
  void deallocate(T* room, size_t count) noexcept {
    if (count < kLargePageBytes / sizeof(T))
      return std::allocator<T>::deallocate(room, count);
    ::operator delete (room, std::align_val_t{kLargePageBytes});
  }
  template <class U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <class U, class... Args>
  void construct(U* place, Args&&... args) {
    ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
  }
};
// NOLINTEND(readability-identifier-naming)

// Bytes read into memory, such as an archive entry's.
using ByteBuffer = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

}  // namespace tamsolo
