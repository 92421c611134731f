#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/file_reader.h"

namespace tamsolo {

// Where the BMP decoder reads a file's bytes from: a copy of the whole file in memory, or the
// file itself, a piece at a time, so that a large uncompressed file is never held whole
// beside its decoded image.
class BmpSource {
 public:
  virtual ~BmpSource() = default;
  virtual uint64_t Size() const = 0;
  // The bytes from offset on, count of them or fewer where the source ends: in place, or
  // copied into scratch.
  virtual std::span<const uint8_t> Bytes(uint64_t offset, size_t count,
                                         std::vector<uint8_t>& scratch) = 0;
  // What reading count bytes at once allocates.
  virtual uint64_t BufferBytes(uint64_t count) const = 0;
};

class MemoryBmpSource final : public BmpSource {
 public:
  explicit MemoryBmpSource(std::span<const uint8_t> data) : data_(data) {}
  uint64_t Size() const override { return data_.size(); }
  std::span<const uint8_t> Bytes(uint64_t offset, size_t count, std::vector<uint8_t>&) override;
  uint64_t BufferBytes(uint64_t) const override { return 0; }

 private:
  std::span<const uint8_t> data_;
};

class FileBmpSource final : public BmpSource {
 public:
  explicit FileBmpSource(FileReader& file) : file_(file) {}
  uint64_t Size() const override { return file_.Size(); }
  std::span<const uint8_t> Bytes(uint64_t offset, size_t count,
                                 std::vector<uint8_t>& scratch) override;
  uint64_t BufferBytes(uint64_t count) const override { return count; }

 private:
  FileReader& file_;
};

}  // namespace tamsolo
