#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// ASCII A-Z folded to a-z. In the Windows style the two bytes of a double-byte character
// are copied unchanged: the trail byte 0x41 of ア must not become the 0x61 of ヂ.
std::string FoldAsciiCase(std::string_view text, PathStyle style);

// How the queue sorts the folded paths. Bytes is the drop's order (the window's, always). Natural
// compares runs of ASCII digits by their value, so 2.jpg comes before 10.jpg; the command line asks
// for it with an option.
enum class QueueOrder { Bytes, Natural };

// Natural order of two folded texts: a digit run against a digit run by value (leading zeros
// ignored), everything else byte by byte; texts equal that way fall back to byte order, so
// that "01" and "1" still have an order.
bool NaturalLess(std::string_view a, std::string_view b);
// Whether a sorts before b in the given order, both folded.
bool FoldedLess(std::string_view a, std::string_view b, QueueOrder order);

}  // namespace tamsolo
