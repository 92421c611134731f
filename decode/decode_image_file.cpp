#include "decode/decoders.h"
#include "decode/image_kind.h"

namespace tamsolo {

RgbImage DecodeImageFile(const std::string& path, uint64_t memoryLimit, DecodeNotes* notes,
                         InputSet inputs) {
  switch (DecoderForPath(path, NativePathStyle(), inputs)) {
    case DecoderKind::Png:
      return DecodePngFile(path, memoryLimit);
    case DecoderKind::Bmp:
      return DecodeBmpFile(path, memoryLimit, notes);
    case DecoderKind::Webp:
      return DecodeWebpFile(path, memoryLimit);
    case DecoderKind::Jpeg:
      break;
  }
  return DecodeJpegFile(path, memoryLimit, notes);
}

RgbImage DecodeHeldImage(std::span<const uint8_t> data, DecoderKind kind, uint64_t memoryLimit,
                         DecodeNotes* notes) {
  switch (kind) {
    case DecoderKind::Png:
      return DecodeHeldPng(data, memoryLimit);
    case DecoderKind::Bmp:
      return DecodeBmp(data, memoryLimit, notes);
    case DecoderKind::Webp:
      return DecodeHeldWebp(data, memoryLimit);
    case DecoderKind::Jpeg:
      break;
  }
  return DecodeHeldJpeg(data, memoryLimit, notes);
}

}  // namespace tamsolo
