#include "platform/file_reader.h"

#include <algorithm>
#include <cstring>

namespace tamsolo {

FileReader::FileReader(std::string name, ByteBuffer bytes)
    : path_(std::move(name)), inMemory_(true), memory_(std::move(bytes)), size_(memory_.size()) {}

int64_t FileReader::MemoryRead(void* data, size_t size) noexcept {
  const size_t got = MemoryReadAt(memoryPosition_, static_cast<uint8_t*>(data), size);
  memoryPosition_ += got;
  return static_cast<int64_t>(got);
}

size_t FileReader::MemoryReadAt(uint64_t offset, uint8_t* out, size_t count) noexcept {
  if (offset >= memory_.size())
    return 0;
  const size_t got = static_cast<size_t>(std::min<uint64_t>(count, memory_.size() - offset));
  std::memcpy(out, memory_.data() + offset, got);
  bytesRead_ += got;
  return got;
}

}  // namespace tamsolo
