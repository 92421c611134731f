#include "cli/book_text.h"

#include "platform/error.h"

namespace tamsolo {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

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

}  // namespace

std::string EscapeBookValue(std::string_view value) {
  std::string text;
  text.reserve(value.size());
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (c == '\t') {
      text += "\\t";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\r') {
      text += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      text += "\\x";
      text += kHexDigits[byte >> 4];
      text += kHexDigits[byte & 0xF];
    } else {
      text += c;
    }
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
      throw Error("Bad escape in book.txt value \"" + std::string(text) + "\"");
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
  for (const std::string& page : book.pages)
    text += Record("page", EscapeBookValue(page));
  return text;
}

}  // namespace tamsolo
