#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "book/book_page.h"

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
  std::vector<BookPage> pages;
};

// title, author, status (complete or incomplete), one lost line per given-up page, then the
// page lines in book order: "page: <name>\t<source>\t<v>/<n>" for a page cut from a source,
// "page: <name>\tblank" for a blank page. After the last page line of a source the clean-up
// ran on: "clean: <source>\t<angle>\t<left>,<top>,<right>,<bottom>", the angle it turned the
// scan back by in degrees and the box it kept, in the straightened image's pixels.
std::string FormatBookText(const BookText& book);

// Reads what FormatBookText writes. Keys it does not know are skipped, a CR before a line end
// is dropped (the writer never leaves one raw), and a page line with the name alone (written
// before pages said where they come from) gives a page of unknown origin. Throws Error for a
// bad escape or a page line of another form.
BookText ParseBookText(std::string_view text);

}  // namespace tamsolo
