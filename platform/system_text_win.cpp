#include <windows.h>

#include <string>

#include "platform/system_text.h"

namespace tamsolo {

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

}  // namespace tamsolo
