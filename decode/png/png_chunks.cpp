#include "decode/png/png_chunks.h"

#include <cstring>

#include <zlib.h>

#include "platform/error.h"

namespace tamsolo {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Length, type and CRC around the data.
constexpr size_t kChunkFrame = 12;

uint32_t ChunkCrc(const uint8_t* typeAndData, size_t length) {
  // crc32 takes a uInt length; feed very long chunks in pieces.
  uLong crc = crc32(0L, Z_NULL, 0);
  while (length > 0) {
    const size_t piece = length > (1u << 30) ? (1u << 30) : length;
    crc = crc32(crc, typeAndData, static_cast<uInt>(piece));
    typeAndData += piece;
    length -= piece;
  }
  return static_cast<uint32_t>(crc);
}

}  // namespace

PngChunkReader::PngChunkReader(std::span<const uint8_t> file) : file_(file), position_(0) {
  if (file.size() < sizeof kSignature || std::memcmp(file.data(), kSignature, sizeof kSignature))
    throw Error("Not a PNG file: bad signature");
  position_ = sizeof kSignature;
}

PngChunk PngChunkReader::Next() {
  const size_t left = file_.size() - position_;
  if (left < kChunkFrame)
    throw Error("PNG file ends before IEND");
  const uint8_t* start = file_.data() + position_;
  const uint32_t length = ReadBigEndian32(start);
  if (length > left - kChunkFrame)
    throw Error("PNG file ends before IEND");
  PngChunk chunk;
  chunk.type = ReadBigEndian32(start + 4);
  chunk.data = std::span<const uint8_t>(start + 8, length);
  if (chunk.type != PngChunkType("cHRM")) {
    const uint32_t stored = ReadBigEndian32(start + 8 + length);
    if (ChunkCrc(start + 4, size_t{length} + 4) != stored)
      throw Error("PNG chunk CRC mismatch");
  }
  position_ += kChunkFrame + length;
  return chunk;
}

}  // namespace tamsolo
