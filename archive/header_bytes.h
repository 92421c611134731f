#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tamsolo {

class FileReader;

// An archive's header bytes read field by field, each read checked against the bytes there:
// a field that runs past them throws Error("<what> is cut short"), so a hostile count or
// length can never read or reserve more than the header holds.
class HeaderBytes {
 public:
  HeaderBytes(std::span<const uint8_t> bytes, std::string what)
      : bytes_(bytes), what_(std::move(what)) {}

  uint8_t Byte();
  // count (at most 8) bytes, least significant first.
  uint64_t Little(size_t count);
  // 7z's number: the leading one bits of the first byte say how many bytes follow.
  uint64_t SevenZipNumber();
  // RAR5's number: seven bits a byte, the high bit set on every byte but the last.
  uint64_t RarNumber();
  // A count of items that take at least perItem bytes each: no more than the bytes left.
  size_t Count(size_t perItem = 1);
  std::span<const uint8_t> Take(uint64_t count);
  void Skip(uint64_t count) { Take(count); }
  size_t Left() const { return bytes_.size() - at_; }
  size_t At() const { return at_; }

  // Throws Error("<what> <problem>").
  [[noreturn]] void Fail(const std::string& problem) const;

 private:
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  std::string what_;
};

// count bytes of file from offset on; throws Error("<what> is cut short") where the file
// ends before them.
std::vector<uint8_t> ReadHeader(FileReader& file, uint64_t offset, uint64_t count,
                                const std::string& what);
// As many of count bytes as the file holds from offset on.
std::vector<uint8_t> ReadUpTo(FileReader& file, uint64_t offset, size_t count);

}  // namespace tamsolo
