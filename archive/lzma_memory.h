#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tamsolo {

// What liblzma's raw decoder for one LZMA1 (lzma2 false) or LZMA2 coder holds, from the
// coder's property bytes as an archive stores them (5 bytes, or LZMA2's one dictionary byte).
// Throws Error naming what when liblzma rejects the properties.
uint64_t LzmaCoderMemory(bool lzma2, std::span<const uint8_t> properties, const char* what);

// What liblzma's .xz decoder holds for the stream that starts with these bytes: the 12-byte
// stream header and the first block header after it (the largest a block header can be is
// enough). An empty stream (no block) needs none.
uint64_t XzStreamMemory(std::span<const uint8_t> start, const char* what);

// packed unpacked by a raw LZMA1 or LZMA2 decoder to exactly size bytes.
std::vector<uint8_t> UnpackLzma(bool lzma2, std::span<const uint8_t> properties,
                                std::span<const uint8_t> packed, uint64_t size, const char* what);

}  // namespace tamsolo
