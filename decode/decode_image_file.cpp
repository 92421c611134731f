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

}  // namespace tamsolo
