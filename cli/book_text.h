#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tamsolo {

// book.txt: one "key: value" record per line, LF line ends, fields inside a value separated by
// one TAB. A name or title is written byte for byte except backslash, TAB, LF, CR and the other
// control bytes (0x00-0x1F, 0x7F), which are escaped, so no name can add a line or a field.

// "\\" for a backslash, "\t", "\n", "\r", and "\xHH" (uppercase hex) for any other control byte.
std::string EscapeBookValue(std::string_view value);
// Reverses EscapeBookValue exactly; throws Error on a backslash that starts no escape.
std::string UnescapeBookValue(std::string_view text);

struct LostPage {
  std::string source;  // the source file's name, without folder
  std::string reason;  // the system's reason the page could not be written
};

struct BookText {
  std::string title;
  std::string author;
  std::vector<LostPage> lost;  // any: the book is incomplete
  std::vector<std::string> pages;
};

// title, author, status (complete or incomplete), one lost line per given-up page, then the
// page lines in book order.
std::string FormatBookText(const BookText& book);

}  // namespace tamsolo
