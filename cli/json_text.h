#pragma once

#include <string>
#include <string_view>

namespace tamsolo {

// text as a JSON string, quotes included. Names are bytes: valid UTF-8 is copied, control
// characters, quote and backslash are escaped, and a byte that is not part of a UTF-8
// character (a name in a legacy code page) is written as \u00XX with that byte's value.
std::string JsonString(std::string_view text);

}  // namespace tamsolo
