#include "platform/paths.h"

#include <algorithm>

namespace tamsolo {
namespace {

bool IsDelimiterByte(unsigned char c, PathStyle style) {
  return style == PathStyle::Windows ? (c == '\\' || c == ':') : c == '/';
}

// Index just past the last delimiter, or 0. Walks forward so that a trail byte of a
// double-byte character is never taken for a delimiter.
size_t FolderLength(std::string_view path, PathStyle style) {
  size_t end = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (style == PathStyle::Windows && IsLeadByte(c)) {
      ++i;
    } else if (IsDelimiterByte(c, style)) {
      end = i + 1;
    }
  }
  return end;
}

// Whether the last character is the single-byte delimiter of the style.
bool EndsInDelimiter(std::string_view path, PathStyle style) {
  const char delimiter = PathDelimiter(style);
  bool last = false;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (style == PathStyle::Windows && IsLeadByte(c)) {
      last = false;
      ++i;
    } else {
      last = path[i] == delimiter;
    }
  }
  return last;
}

}  // namespace

bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

char PathDelimiter(PathStyle style) {
  return style == PathStyle::Windows ? '\\' : '/';
}

std::string FolderPart(std::string_view path, PathStyle style) {
  return std::string(path.substr(0, FolderLength(path, style)));
}

std::string FileNamePart(std::string_view path, PathStyle style) {
  return std::string(path.substr(FolderLength(path, style)));
}

std::string ExtensionOf(std::string_view path, PathStyle style) {
  const std::string name = FileNamePart(path, style);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string BaseNameOf(std::string_view path, PathStyle style) {
  const std::string name = FileNamePart(path, style);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string AddTrailingDelimiter(std::string_view path, PathStyle style) {
  std::string result(path);
  if (!EndsInDelimiter(path, style))
    result += PathDelimiter(style);
  return result;
}

std::string RemoveTrailingDelimiter(std::string_view path, PathStyle style) {
  std::string result(path);
  if (EndsInDelimiter(path, style))
    result.pop_back();
  return result;
}

std::string ParentFolderName(std::string_view path, PathStyle style) {
  return FileNamePart(RemoveTrailingDelimiter(FolderPart(path, style), style), style);
}

std::string UnifyDelimiters(std::string path, PathStyle style) {
  if (style == PathStyle::Windows)
    std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

}  // namespace tamsolo
