#pragma once

#include <string>
#include <string_view>

namespace tamsolo {

// Windows paths delimit with "\" and ":" and may hold Shift-JIS double-byte characters whose
// trail byte is 0x5C; POSIX paths delimit with "/" only (UTF-8 never hides a "/").
enum class PathStyle { Windows, Posix };

// The style of the platform the program runs on.
PathStyle NativePathStyle();

// Shift-JIS lead bytes: 0x81-0x9F and 0xE0-0xFC.
bool IsLeadByte(unsigned char c);

// The delimiter the style adds ("\" or "/").
char PathDelimiter(PathStyle style);

// Everything up to and including the last delimiter.
std::string FolderPart(std::string_view path, PathStyle style);
// What follows the folder part.
std::string FileNamePart(std::string_view path, PathStyle style);
// From the last "." of the file name, dot included; empty without a dot.
std::string ExtensionOf(std::string_view path, PathStyle style);
// The file name without its last extension: "scan.01.jpg" gives "scan.01", ".jpg" gives "".
std::string BaseNameOf(std::string_view path, PathStyle style);
// Appends the delimiter unless the path already ends in one (an empty path gets one).
std::string AddTrailingDelimiter(std::string_view path, PathStyle style);
// Strips one final delimiter character; a 0x5C trail byte is part of its character and stays.
std::string RemoveTrailingDelimiter(std::string_view path, PathStyle style);
// The last component of the folder part: "C:\scans\vol1\p.jpg" gives "vol1", "C:\p.jpg" "".
std::string ParentFolderName(std::string_view path, PathStyle style);
// The system takes "/" between folders as well as "\" on Windows, but the helpers split only
// at "\" and ":", so there every "/" becomes "\" (0x2F is never a trail byte: those start at
// 0x40). POSIX paths come back unchanged.
std::string UnifyDelimiters(std::string path, PathStyle style);
// ASCII letters upper-cased byte by byte; meant for comparing extensions.
std::string UpperAscii(std::string_view text);

}  // namespace tamsolo
