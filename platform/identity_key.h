#pragma once

#include <cstdint>
#include <string>

namespace tamsolo {

// The text that names a file or folder itself: its device (volume) and its inode (file
// index), equal for every path that leads to it. Compared only within one run.
inline std::string IdentityKey(uint64_t device, uint64_t index) {
  return std::to_string(device) + ":" + std::to_string(index);
}

}  // namespace tamsolo
