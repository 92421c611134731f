#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/error.h"
#include "platform/system_text.h"

namespace tamsolo {
namespace {

// iconv_open's failure value.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1));

// text converted by iconv; nothing where the converter rejects a sequence or could only give
// something else for it. out holds room for the longest result the caller can get.
std::optional<std::string> Convert(const char* from, const char* to, std::string_view text,
                                   size_t outRoom) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == kNoConverter)
    throw SystemError(std::string("No text conversion from ") + from + " to " + to, errno);
  std::string out(outRoom, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* next = out.data();
  size_t outLeft = out.size();
  const size_t irreversible = iconv(converter, &in, &inLeft, &next, &outLeft);
  iconv_close(converter);
  if (irreversible != 0 || inLeft != 0)
    return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

// The UTF-8 bytes of a code point below U+110000.
std::string Utf8Of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace

std::string SystemText(std::string_view utf8) {
  return std::string(utf8);
}

std::string SystemErrorDescription(int code) {
  return std::strerror(code);
}

// A code page 932 character of one or two bytes is at most three bytes in UTF-8.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
  return Convert("CP932", "UTF-8", cp932, cp932.size() * 3);
}

std::optional<std::string> CodePointToCp932(char32_t codePoint) {
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return std::nullopt;
  return Convert("UTF-8", "CP932", Utf8Of(codePoint), 2);
}

}  // namespace tamsolo
