#include <windows.h>

#include <string>

#include "platform/system_text.h"

namespace tamsolo {
namespace {

// The code page whose double-byte characters the path helpers walk (IsLeadByte).
constexpr UINT kShiftJis = 932;

// UTF-16 as UTF-8; the input came from a valid conversion, so nothing is lost.
std::string Utf8Of(const std::wstring& wide) {
  const int wideLength = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

}  // namespace

std::string SystemText(std::string_view utf8) {
  if (utf8.empty())
    return {};
  const int length = static_cast<int>(utf8.size());
  const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  if (wideLength <= 0)
    return std::string(utf8);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), wideLength);
  const int ansiLength =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (ansiLength <= 0)
    return std::string(utf8);
  std::string ansi(static_cast<size_t>(ansiLength), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), ansiLength, nullptr,
                      nullptr);
  return ansi;
}

std::string SystemErrorDescription(int code) {
  char* buffer = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = FormatMessageA(flags, nullptr, static_cast<DWORD>(code), 0,
                                      reinterpret_cast<char*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr)
    return "Error " + std::to_string(code);
  std::string text(buffer, length);
  LocalFree(buffer);
  // System texts end in CR LF and often a period; the message that quotes them adds its own
  // punctuation. 0x2E and bytes up to 0x20 are never the trail byte of a double-byte character.
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 0x20 || text.back() == '.'))
    text.pop_back();
  return text;
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
  if (cp932.empty())
    return std::string();
  const int length = static_cast<int>(cp932.size());
  const int wideLength =
      MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, cp932.data(), length, nullptr, 0);
  if (wideLength <= 0)
    return std::nullopt;
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, cp932.data(), length, wide.data(),
                      wideLength);
  return Utf8Of(wide);
}

// WC_NO_BEST_FIT_CHARS keeps "é" from becoming "e"; with it, a character the code page lacks
// comes out as the default character and sets usedDefault.
std::optional<std::string> CodePointToCp932(char32_t codePoint) {
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return std::nullopt;
  wchar_t units[2];
  int unitCount = 1;
  if (codePoint < 0x10000) {
    units[0] = static_cast<wchar_t>(codePoint);
  } else {
    units[0] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    unitCount = 2;
  }
  char bytes[8];
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, units, unitCount, bytes,
                                         sizeof bytes, nullptr, &usedDefault);
  if (length <= 0 || usedDefault)
    return std::nullopt;
  return std::string(bytes, static_cast<size_t>(length));
}

}  // namespace tamsolo
