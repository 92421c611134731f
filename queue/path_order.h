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
// ignored), everything else byte by byte; only the ASCII digits 0-9 make a run (a full-width
// digit is bytes like any other). The stem (up to the last name's last '.') is compared
// before the extension, so 3.jpg comes before 3-1.jpg and 3_1.jpg, and a text that is the
// start of another comes first (page1 before page1b). Texts equal that way fall back to byte
// order, so that "01" and "1" still have an order.
bool NaturalLess(std::string_view a, std::string_view b);
// Whether a sorts before b in the given order, both folded.
bool FoldedLess(std::string_view a, std::string_view b, QueueOrder order);
// The queue's order of two paths given with their folded keys: by the keys, and paths whose
// keys are equal (Page1.jpg and page1.jpg) by their own bytes, so that the order never
// follows the folder listing. Equal paths are equal.
bool QueueLess(std::string_view aKey, std::string_view aPath, std::string_view bKey,
               std::string_view bPath, QueueOrder order);

}  // namespace tamsolo
