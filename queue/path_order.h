#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// ASCII A-Z folded to a-z. In the Windows style the two bytes of a double-byte character
// are copied unchanged: the trail byte 0x41 of ア must not become the 0x61 of ヂ.
std::string FoldAsciiCase(std::string_view text, PathStyle style);

// The queue's order: byte comparison of the folded texts.
bool PathLess(std::string_view a, std::string_view b, PathStyle style);

// Equal once ASCII letters are folded (trail bytes not folded in the Windows style).
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b, PathStyle style);

}  // namespace tamsolo
