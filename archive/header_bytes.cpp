#include "archive/header_bytes.h"

#include "platform/error.h"
#include "platform/file_reader.h"

namespace tamsolo {

uint8_t HeaderBytes::Byte() {
  return Take(1)[0];
}

uint64_t HeaderBytes::Little(size_t count) {
  const std::span<const uint8_t> bytes = Take(count);
  uint64_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;)
    value = value << 8 | bytes[i];
  return value;
}

uint64_t HeaderBytes::SevenZipNumber() {
  const uint8_t first = Byte();
  uint64_t value = 0;
  for (unsigned i = 0; i < 8; ++i) {
    const unsigned mask = 0x80u >> i;
    if ((first & mask) == 0)
      return value | static_cast<uint64_t>(first & (mask - 1)) << (8 * i);
    value |= static_cast<uint64_t>(Byte()) << (8 * i);
  }
  return value;
}

uint64_t HeaderBytes::RarNumber() {
  uint64_t value = 0;
  for (unsigned shift = 0; shift < 64; shift += 7) {
    const uint8_t byte = Byte();
    value |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0)
      return value;
  }
  Fail("holds a number too long");
}

size_t HeaderBytes::Count(size_t perItem) {
  const uint64_t count = SevenZipNumber();
  if (count > Left() / perItem)
    Fail("counts more items than it holds");
  return static_cast<size_t>(count);
}

std::span<const uint8_t> HeaderBytes::Take(uint64_t count) {
  if (count > Left())
    Fail("is cut short");
  const std::span<const uint8_t> taken = bytes_.subspan(at_, static_cast<size_t>(count));
  at_ += static_cast<size_t>(count);
  return taken;
}

void HeaderBytes::Fail(const std::string& problem) const {
  throw Error(what_ + " " + problem);
}

std::vector<uint8_t> ReadHeader(FileReader& file, uint64_t offset, uint64_t count,
                                const std::string& what) {
  if (offset > file.Size() || count > file.Size() - offset)
    throw Error(what + " is cut short");
  std::vector<uint8_t> bytes(static_cast<size_t>(count));
  if (file.ReadAt(offset, bytes.data(), bytes.size()) != bytes.size())
    throw Error(what + " is cut short");
  return bytes;
}

std::vector<uint8_t> ReadUpTo(FileReader& file, uint64_t offset, size_t count) {
  std::vector<uint8_t> bytes(count);
  bytes.resize(offset < file.Size() ? file.ReadAt(offset, bytes.data(), count) : 0);
  return bytes;
}

}  // namespace tamsolo
