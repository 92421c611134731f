#pragma once

#include <optional>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

enum class DecoderKind { Jpeg, Png, Bmp, Webp };

// Which files are read: Classic is JPEG, PNG and BMP only, what the program read before WebP
// (the command line's --no-archives, the window's Archives=0); Extended adds WebP.
enum class InputSet { Classic, Extended };

// The kind named by an accepted extension (".JPG", ".JPEG", ".PNG", ".BMP" and, in the
// extended set, ".WEBP", in any letter case), or none: the one rule for which files are
// collected and which decoder reads them.
std::optional<DecoderKind> AcceptedImageKind(std::string_view path, PathStyle style,
                                             InputSet inputs = InputSet::Extended);

// The accepted kind, and JPEG for anything else (compared upper-cased).
DecoderKind DecoderForPath(std::string_view path, PathStyle style,
                           InputSet inputs = InputSet::Extended);

}  // namespace tamsolo
