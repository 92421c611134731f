#include "cli/json_text.h"

#include <cstdio>

namespace tamsolo {
namespace {

// Bytes of the well-formed UTF-8 character starting at text[at], or 0.
size_t Utf8Length(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high)
    return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
      return 0;
  }
  return length;
}

std::string Escaped(unsigned int code) {
  char text[8];
  std::snprintf(text, sizeof text, "\\u%04X", code);
  return text;
}

// A byte outside UTF-8 as the low surrogate that stands for it.
constexpr unsigned int kByteSurrogates = 0xDC00;

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      json += Escaped(c);
    } else if (c >= 0x80) {
      const size_t length = Utf8Length(text, i);
      if (length == 0) {
        json += Escaped(kByteSurrogates + c);
      } else {
        json.append(text.substr(i, length));
        i += length;
        continue;
      }
    } else {
      json += static_cast<char>(c);
    }
    ++i;
  }
  return json + "\"";
}

}  // namespace tamsolo
