#include <span>
#include <vector>

#include <zlib.h>

#include "decode/decoders.h"
#include "platform/error.h"
#include "tests/fuzz/fuzz_target.h"

namespace {

void Decode(std::span<const uint8_t> bytes) {
  try {
    const tamsolo::RgbImage image = tamsolo::DecodePng(bytes, kFuzzMemoryLimit);
    // Read the corner pixels so a wrong size or a missing buffer shows.
    if (!image.Empty()) {
      volatile uint8_t sink = image.Row(0)[0];
      sink = image.Row(image.Height() - 1)[image.Stride() - 1];
      (void)sink;
    }
  } catch (const tamsolo::Error&) {
  }
}

// A copy whose chunk CRCs are all correct. Almost every mutation breaks a CRC, and the decoder
// would stop at it; with the CRCs mended the mutations reach the chunk rules, inflate, the
// filters and the reductions.
std::vector<uint8_t> WithMendedCrcs(std::span<const uint8_t> bytes) {
  std::vector<uint8_t> copy(bytes.begin(), bytes.end());
  size_t at = 8;
  while (copy.size() >= 12 && at <= copy.size() - 12) {
    const uint32_t length = static_cast<uint32_t>(copy[at]) << 24 | copy[at + 1] << 16 |
                            copy[at + 2] << 8 | copy[at + 3];
    if (length > copy.size() - 12 - at)
      break;
    const uint32_t crc =
        static_cast<uint32_t>(crc32(0L, copy.data() + at + 4, static_cast<uInt>(length) + 4));
    uint8_t* stored = copy.data() + at + 8 + length;
    stored[0] = static_cast<uint8_t>(crc >> 24);
    stored[1] = static_cast<uint8_t>(crc >> 16);
    stored[2] = static_cast<uint8_t>(crc >> 8);
    stored[3] = static_cast<uint8_t>(crc);
    at += size_t{length} + 12;
  }
  return copy;
}

void AppendChunk(std::vector<uint8_t>& file, const char* type, const uint8_t* data, size_t length) {
  const size_t start = file.size();
  for (int shift = 24; shift >= 0; shift -= 8)
    file.push_back(static_cast<uint8_t>(length >> shift));
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data, data + length);
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0L, file.data() + start + 4, static_cast<uInt>(file.size() - start - 4)));
  for (int shift = 24; shift >= 0; shift -= 8)
    file.push_back(static_cast<uint8_t>(crc >> shift));
}

// Inputs starting with 'R' (never a PNG's first byte) are 13 IHDR bytes and then the filtered
// rows, compressed here. Mutated deflate data mostly fails early; this way the fuzzer drives
// the filters, the Adam7 passes and the sample mapping with any header and any row bytes.
void DecodeRawRows(std::span<const uint8_t> bytes) {
  if (bytes.size() < 14 || bytes[0] != 'R')
    return;
  const std::span<const uint8_t> rows = bytes.subspan(14);
  uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 1) !=
      Z_OK)
    return;
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  AppendChunk(file, "IHDR", bytes.data() + 1, 13);
  const uint8_t palette[6] = {0, 0, 0, 255, 255, 255};
  AppendChunk(file, "PLTE", palette, sizeof palette);
  AppendChunk(file, "IDAT", packed.data(), packedSize);
  AppendChunk(file, "IEND", nullptr, 0);
  Decode(file);
}

}  // namespace

// Any input either decodes or raises Error; a crash, a sanitizer report or another exception
// is a finding. The input is tried as it is (the CRC checks), with mended CRCs, and as raw rows.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  Decode(bytes);
  const std::vector<uint8_t> mended = WithMendedCrcs(bytes);
  Decode(mended);
  DecodeRawRows(bytes);
  return 0;
}
