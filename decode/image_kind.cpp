#include "decode/image_kind.h"

#include <string>

namespace tamsolo {

std::optional<DecoderKind> AcceptedImageKind(std::string_view path, PathStyle style) {
  const std::string extension = UpperAscii(ExtensionOf(path, style));
  if (extension == ".JPG" || extension == ".JPEG")
    return DecoderKind::Jpeg;
  if (extension == ".PNG")
    return DecoderKind::Png;
  if (extension == ".BMP")
    return DecoderKind::Bmp;
  return std::nullopt;
}

DecoderKind DecoderForPath(std::string_view path, PathStyle style) {
  return AcceptedImageKind(path, style).value_or(DecoderKind::Jpeg);
}

}  // namespace tamsolo
