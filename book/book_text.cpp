#include "book/book_text.h"

#include <charconv>

#include "platform/control_bytes.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

std::string Record(const char* key, const std::string& value) {
  return std::string(key) + ": " + value + "\n";
}

std::string PageRecord(const BookPage& page) {
  std::string value = EscapeBookValue(page.name);
  if (page.Blank()) {
    value += "\tblank";
  } else if (page.HasSource()) {
    value += '\t';
    value += EscapeBookValue(page.source);
    value += '\t';
    value += std::to_string(page.v);
    value += '/';
    value += std::to_string(page.n);
  }
  return Record("page", value);
}

// "clean: <source>\t<angle>\t<left>,<top>,<right>,<bottom>", the angle in degrees to a
// thousandth, written the same in every locale.
std::string CleanRecord(const BookPage& page) {
  const CleanReport& clean = *page.clean;
  char angle[32];
  const auto written =
      std::to_chars(angle, angle + sizeof angle, clean.angle, std::chars_format::fixed, 3);
  const ContentBox& box = clean.box;
  return Record("clean", EscapeBookValue(page.source) + "\t" + std::string(angle, written.ptr) +
                             "\t" + std::to_string(box.left) + "," + std::to_string(box.top) + "," +
                             std::to_string(box.right) + "," + std::to_string(box.bottom));
}

// The clean record follows the last page line of its source: the next page comes from
// another source or starts one anew (two files of one name in a book).
bool EndsCleanedSource(const std::vector<BookPage>& pages, size_t i) {
  const BookPage& page = pages[i];
  if (!page.clean)
    return false;
  if (i + 1 == pages.size())
    return true;
  const BookPage& next = pages[i + 1];
  return next.source != page.source || next.v <= page.v || next.clean != page.clean;
}

std::vector<std::string_view> Fields(std::string_view value) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t tab = value.find('\t', start);
    fields.push_back(value.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos)
      return fields;
    start = tab + 1;
  }
}

// A whole decimal number of 1 to 9 digits, or -1.
int32_t Number(std::string_view text) {
  if (text.empty() || text.size() > 9)
    return -1;
  int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// A bad value is quoted in the message, but only its start: a line of megabytes would make
// a message of megabytes.
std::string Quoted(std::string_view value) {
  constexpr size_t kShown = 200;
  if (value.size() <= kShown)
    return "\"" + std::string(value) + "\"";
  return "\"" + std::string(value.substr(0, kShown)) + "\"... (" + std::to_string(value.size()) +
         " bytes)";
}

[[noreturn]] void BadPage(std::string_view value) {
  throw Error("Bad page line in book.txt: " + Quoted(value));
}

BookPage ParsePage(std::string_view value) {
  const std::vector<std::string_view> fields = Fields(value);
  BookPage page;
  page.name = UnescapeBookValue(fields[0]);
  if (fields.size() == 2 && fields[1] == "blank") {
    page.blank = true;
  } else if (fields.size() == 3) {
    const size_t slash = fields[2].find('/');
    page.source = UnescapeBookValue(fields[1]);
    page.v = Number(fields[2].substr(0, slash));
    page.n = slash == std::string_view::npos ? -1 : Number(fields[2].substr(slash + 1));
    if (page.v < 1 || page.n < page.v)
      BadPage(value);
  } else if (fields.size() != 1) {
    BadPage(value);
  }
  return page;
}

void TakeRecord(std::string_view key, std::string_view value, BookText& book) {
  if (key == "title") {
    book.title = UnescapeBookValue(value);
  } else if (key == "author") {
    book.author = UnescapeBookValue(value);
  } else if (key == "lost") {
    const size_t tab = value.find('\t');
    book.lost.push_back(
        {UnescapeBookValue(value.substr(0, tab)),
         tab == std::string_view::npos ? "" : UnescapeBookValue(value.substr(tab + 1))});
  } else if (key == "page") {
    book.pages.push_back(ParsePage(value));
  }
}

}  // namespace

std::string EscapeBookValue(std::string_view value) {
  std::string text;
  text.reserve(value.size());
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\')
      text += "\\\\";
    else if (IsControlByte(byte))
      text += EscapeControlByte(byte);
    else
      text += c;
  }
  return text;
}

std::string UnescapeBookValue(std::string_view text) {
  std::string value;
  value.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      value += text[i];
      continue;
    }
    const char kind = i + 1 < text.size() ? text[i + 1] : '\0';
    if (kind == '\\' || kind == 't' || kind == 'n' || kind == 'r') {
      value += kind == '\\' ? '\\' : kind == 't' ? '\t' : kind == 'n' ? '\n' : '\r';
      i += 1;
    } else if (kind == 'x' && i + 3 < text.size() && HexValue(text[i + 2]) >= 0 &&
               HexValue(text[i + 3]) >= 0) {
      value += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
      i += 3;
    } else {
      throw Error("Bad escape in book.txt value " + Quoted(text));
    }
  }
  return value;
}

std::string FormatBookText(const BookText& book) {
  std::string text = Record("title", EscapeBookValue(book.title));
  text += Record("author", EscapeBookValue(book.author));
  text += Record("status", book.lost.empty() ? "complete" : "incomplete");
  for (const LostPage& lost : book.lost)
    text += Record("lost", EscapeBookValue(lost.source) + "\t" + EscapeBookValue(lost.reason));
  for (size_t i = 0; i < book.pages.size(); ++i) {
    text += PageRecord(book.pages[i]);
    if (EndsCleanedSource(book.pages, i))
      text += CleanRecord(book.pages[i]);
  }
  return text;
}

BookText ParseBookText(std::string_view text) {
  BookText book;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    const size_t colon = line.find(": ");
    if (colon != std::string_view::npos)
      TakeRecord(line.substr(0, colon), line.substr(colon + 2), book);
  }
  return book;
}

}  // namespace tamsolo
