#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// The name of an entry inside an archive as text of the front end: UTF-8 in the POSIX style,
// code page 932 in the Windows style, with every separator the style's delimiter. name is the
// entry's name as stored; utf8 says the format vouches for UTF-8 (a ZIP entry with bit 11, or
// a name the archive library gave as UTF-8 because 7z and RAR5 store Unicode).
//
// An unvouched name is UTF-8 where it is valid UTF-8, else code page 932 where valid there
// (what Explorer writes on a Japanese system). Both "/" and "\" separate, but a 0x5C trail
// byte of a double-byte character is part of it. A name valid in neither keeps its valid UTF-8
// and writes each other byte as "%HH" and each "%" as "%25", so no two such names come out
// alike. In the Windows style a character the code page lacks is written "_uXXXX" (or
// "_UXXXXXXXX" past U+FFFF) with its code point in upper-case hex; a name that spells out such
// an escape itself can still meet another, which the same-name rule of pages settles.
std::string InnerNameText(std::string_view name, bool utf8, PathStyle style);

}  // namespace tamsolo
