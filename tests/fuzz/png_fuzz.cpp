#include <span>
#include <vector>

#include <zlib.h>

#include "decode/decoders.h"
#include "platform/error.h"
#include "image/png_writer.h"
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

// Inputs starting with 'R' (never a PNG's first byte) are 13 IHDR bytes and then the filtered
// rows, compressed here. Mutated deflate data mostly fails early; this way the fuzzer drives
// the filters, the Adam7 passes and the sample mapping with any header and any row bytes.
void DecodeRawRows(std::span<const uint8_t> bytes) {
  if (bytes.size() < 14 || bytes[0] != 'R')
    return;
  using tamsolo::PngChunkBytes;
  const std::vector<uint8_t> palette = {0, 0, 0, 255, 255, 255};
  Decode(tamsolo::PngFileBytes({PngChunkBytes("IHDR", bytes.subspan(1, 13)),
                                PngChunkBytes("PLTE", palette),
                                PngChunkBytes("IDAT", tamsolo::ZlibCompress(bytes.subspan(14), 1)),
                                PngChunkBytes("IEND", {})}));
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
