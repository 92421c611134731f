#include "decode/bmp_source.h"

#include <algorithm>

#include "decode/decode_limits.h"

namespace tamsolo {

std::span<const uint8_t> MemoryBmpSource::Bytes(uint64_t offset, size_t count,
                                                std::vector<uint8_t>&) {
  if (offset >= data_.size())
    return {};
  return data_.subspan(offset, std::min<uint64_t>(count, data_.size() - offset));
}

// Read in pieces, so that a stop request is seen while a large run of RLE data comes in.
std::span<const uint8_t> FileBmpSource::Bytes(uint64_t offset, size_t count,
                                              std::vector<uint8_t>& scratch) {
  constexpr size_t kPieceBytes = size_t{4} << 20;
  if (offset >= file_.Size())
    return {};
  scratch.resize(std::min<uint64_t>(count, file_.Size() - offset));
  size_t done = 0;
  while (done < scratch.size()) {
    ThrowIfDecodeStopped();
    const size_t want = std::min(kPieceBytes, scratch.size() - done);
    const size_t got = file_.ReadAt(offset + done, scratch.data() + done, want);
    done += got;
    if (got < want)
      break;  // the file shrank meanwhile
  }
  return {scratch.data(), done};
}

}  // namespace tamsolo
