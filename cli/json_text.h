#pragma once

#include <string>
#include <string_view>

namespace tamsolo {

// text as a JSON string, quotes included. Names are bytes: valid UTF-8 is copied, control
// characters, quote and backslash are escaped, and a byte XX that is not part of a UTF-8
// character (a name in a legacy code page) is written as the lone low surrogate \uDCXX. No
// character can give that escape (UTF-8 holds no surrogates), so two names never give the
// same string and the bytes come back exactly (Python: surrogateescape).
std::string JsonString(std::string_view text);

}  // namespace tamsolo
