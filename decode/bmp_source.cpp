#include "decode/bmp_source.h"

#include <algorithm>

namespace tamsolo {

std::span<const uint8_t> MemoryBmpSource::Bytes(uint64_t offset, size_t count,
                                                std::vector<uint8_t>&) {
  if (offset >= data_.size())
    return {};
  return data_.subspan(offset, std::min<uint64_t>(count, data_.size() - offset));
}

std::span<const uint8_t> FileBmpSource::Bytes(uint64_t offset, size_t count,
                                              std::vector<uint8_t>& scratch) {
  if (offset >= file_.Size())
    return {};
  scratch.resize(std::min<uint64_t>(count, file_.Size() - offset));
  return {scratch.data(), file_.ReadAt(offset, scratch.data(), scratch.size())};
}

}  // namespace tamsolo
