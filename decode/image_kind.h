#pragma once

#include <optional>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

enum class DecoderKind { Jpeg, Png, Bmp };

// The kind named by an accepted extension (".JPG", ".JPEG", ".PNG", ".BMP" in any letter
// case), or none: the one rule for which files are collected and which decoder reads them.
std::optional<DecoderKind> AcceptedImageKind(std::string_view path, PathStyle style);

// ".PNG" selects PNG, ".BMP" BMP, anything else JPEG (compared upper-cased).
DecoderKind DecoderForPath(std::string_view path, PathStyle style);

}  // namespace tamsolo
