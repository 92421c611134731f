#include "decode/png/png_header.h"

#include "decode/decode_limits.h"
#include "decode/png/png_image_data.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

constexpr uint32_t kMaxSide = 65535;

}  // namespace

PngHeader ParsePngHeader(const PngChunk& chunk) {
  if (chunk.type != PngChunkType("IHDR"))
    throw Error("PNG file does not start with IHDR");
  if (chunk.data.size() < 13)
    throw Error("PNG IHDR is too short");
  const uint8_t* d = chunk.data.data();
  PngHeader header;
  header.width = ReadBigEndian32(d);
  header.height = ReadBigEndian32(d + 4);
  header.bitDepth = d[8];
  header.colorType = d[9];
  header.interlace = d[12];
  if (header.width > kMaxSide || header.height > kMaxSide)
    throw Error("PNG image is larger than 65535 pixels");
  if (header.width == 0 || header.height == 0)
    throw Error("PNG image has no pixels");
  if (d[10] != 0)
    throw Error("PNG compression method is unknown");
  if (header.interlace > 1)
    throw Error("PNG interlace method is unknown");
  if (!IsAllowedPngFormat(header.colorType, header.bitDepth))
    throw Error("PNG colour type and bit depth are not allowed");
  return header;
}

uint64_t PngDecodeBytes(const PngHeader& header) {
  return RgbImageBytes(header.width, header.height) + PngImageData::BufferBytes(header);
}

}  // namespace tamsolo
