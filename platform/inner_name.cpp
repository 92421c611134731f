#include "platform/inner_name.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "platform/system_text.h"

namespace tamsolo {
namespace {

// One code point and the bytes it took; length 0 where no valid UTF-8 sequence starts.
struct Utf8Char {
  char32_t codePoint;
  size_t length;
};

// Overlong forms, surrogates and values past U+10FFFF are invalid, as the system converters
// hold them to be.
Utf8Char DecodeUtf8(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80)
    return {lead, 1};
  size_t length = 4;
  char32_t value = lead & 0x07u;
  char32_t least = 0x10000;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1Fu;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0Fu;
    least = 0x800;
  } else if (lead < 0xF0 || lead > 0xF4) {
    return {0, 0};
  }
  if (text.size() - at < length)
    return {0, 0};
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80)
      return {0, 0};
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return {0, 0};
  return {value, length};
}

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = DecodeUtf8(text, at).length;
    if (length == 0)
      return false;
    at += length;
  }
  return true;
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// Valid UTF-8 kept, every other byte as "%HH"; "%" itself escaped so that the result
// reads back to exactly one name.
std::string EscapeStrayBytes(std::string_view name) {
  std::string out;
  for (size_t at = 0; at < name.size();) {
    const size_t length = DecodeUtf8(name, at).length;
    if (length == 0 || name[at] == '%') {
      out += '%';
      out += Hex(static_cast<unsigned char>(name[at]), 2);
      ++at;
    } else {
      out.append(name, at, length);
      at += length;
    }
  }
  return out;
}

std::string PosixText(std::string utf8) {
  for (char& c : utf8)
    if (c == '\\')
      c = '/';
  return utf8;
}

std::string WindowsText(std::string_view utf8) {
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    const Utf8Char c = DecodeUtf8(utf8, at);
    at += c.length;
    const auto code = static_cast<unsigned>(c.codePoint);
    if (c.codePoint == '/') {
      out += '\\';
    } else if (c.codePoint < 0x80) {
      out += static_cast<char>(c.codePoint);  // code page 932 keeps ASCII, "\\" included
    } else if (const auto bytes = CodePointToCp932(c.codePoint)) {
      out += *bytes;
    } else {
      out += code < 0x10000 ? "_u" : "_U";
      out += Hex(code, code < 0x10000 ? 4 : 8);
    }
  }
  return out;
}

}  // namespace

std::string InnerNameText(std::string_view name, bool utf8, PathStyle style) {
  std::string text;
  if (IsUtf8(name)) {
    text = name;
  } else if (const auto converted = utf8 ? std::nullopt : Cp932ToUtf8(name)) {
    text = *converted;
  } else {
    text = EscapeStrayBytes(name);
  }
  return style == PathStyle::Windows ? WindowsText(text) : PosixText(std::move(text));
}

}  // namespace tamsolo
