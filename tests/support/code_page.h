#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo::testing {

// The expected bytes of one of the system's texts in the program's code page: Shift-JIS on
// Windows (the tests run in code page 932) and UTF-8 elsewhere. Both are written out as
// literals, so a test never builds its expectation with the call it checks.
inline std::string CodePageBytes(std::string_view shiftJis, std::string_view utf8) {
  return std::string(NativePathStyle() == PathStyle::Windows ? shiftJis : utf8);
}

}  // namespace tamsolo::testing
