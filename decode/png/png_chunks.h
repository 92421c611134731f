#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tamsolo {

// A chunk type as its four bytes read big-endian, e.g. PngChunkType("IDAT").
constexpr uint32_t PngChunkType(const char (&name)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(name[0])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[3]));
}

// Ancillary chunks have a lower-case first letter (bit 5 of the first byte set).
constexpr bool IsAncillaryChunk(uint32_t type) {
  return (type & 0x20000000u) != 0;
}

inline uint32_t ReadBigEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

struct PngChunk {
  uint32_t type = 0;
  std::span<const uint8_t> data;
};

// Walks the chunks of a PNG file held in memory. The constructor checks the signature; Next
// checks every declared length against the bytes that are left and the CRC-32 of the chunk
// (cHRM excepted, which is skipped unread). Failures throw Error.
class PngChunkReader {
 public:
  explicit PngChunkReader(std::span<const uint8_t> file);

  // The next chunk; throws when the file ends before a whole chunk.
  PngChunk Next();

 private:
  std::span<const uint8_t> file_;
  size_t position_;
};

}  // namespace tamsolo
