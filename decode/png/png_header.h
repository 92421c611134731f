#pragma once

#include <cstdint>

#include "decode/png/png_chunks.h"
#include "decode/png/png_format.h"

namespace tamsolo {

// Checks the first chunk of a PNG and reads its IHDR; throws Error for a header the decoder
// refuses (not IHDR, too short, larger than 65535 pixels, no pixels, unknown methods,
// disallowed colour type and bit depth).
PngHeader ParsePngHeader(const PngChunk& chunk);

// Everything one decode of such an image allocates: the result and the row buffers.
uint64_t PngDecodeBytes(const PngHeader& header);

}  // namespace tamsolo
