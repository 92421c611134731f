#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// ASCII A-Z folded to a-z. In the Windows style the two bytes of a double-byte character
// are copied unchanged: the trail byte 0x41 of ア must not become the 0x61 of ヂ.
std::string FoldAsciiCase(std::string_view text, PathStyle style);

}  // namespace tamsolo
