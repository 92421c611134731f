#include "decode/image_kind.h"

#include <string>

namespace tamsolo {

std::optional<DecoderKind> AcceptedImageKind(std::string_view path, PathStyle style,
                                             InputSet inputs) {
  const std::string extension = UpperAscii(ExtensionOf(path, style));
  if (extension == ".JPG" || extension == ".JPEG")
    return DecoderKind::Jpeg;
  if (extension == ".PNG")
    return DecoderKind::Png;
  if (extension == ".BMP")
    return DecoderKind::Bmp;
  if (extension == ".WEBP" && inputs == InputSet::Extended)
    return DecoderKind::Webp;
  return std::nullopt;
}

DecoderKind DecoderForPath(std::string_view path, PathStyle style, InputSet inputs) {
  return AcceptedImageKind(path, style, inputs).value_or(DecoderKind::Jpeg);
}

}  // namespace tamsolo
