#include "platform/path_normal.h"

#include <vector>

namespace tamsolo {
namespace {

// Splits at the style's delimiter, never inside a double-byte character.
std::vector<std::string> Components(std::string_view path, PathStyle style) {
  const char delimiter = PathDelimiter(style);
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (style == PathStyle::Windows && IsLeadByte(c) && i + 1 < path.size()) {
      parts.back() += path.substr(i, 2);
      ++i;
    } else if (path[i] == delimiter) {
      parts.emplace_back();
    } else {
      parts.back() += path[i];
    }
  }
  return parts;
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// Splits an absolute path into its root ("/", "C:\", "\\server\share\") and the rest.
struct Rooted {
  std::string root;
  std::string rest;
};

Rooted SplitRoot(const std::string& path, PathStyle style) {
  if (style == PathStyle::Posix)
    return {"/", path.substr(1)};
  if (path.rfind("\\\\", 0) == 0) {
    const std::vector<std::string> parts = Components(path.substr(2), style);
    std::string root = "\\\\" + parts[0] + "\\" + (parts.size() > 1 ? parts[1] + "\\" : "");
    return {root, path.size() > root.size() ? path.substr(root.size()) : ""};
  }
  return {path.substr(0, 2) + "\\", path.size() > 3 ? path.substr(3) : ""};
}

// Joins path to the current folder unless it is absolute already.
std::string Absolute(std::string path, std::string_view current, PathStyle style) {
  const std::string base = AddTrailingDelimiter(current, style);
  if (style == PathStyle::Posix)
    return !path.empty() && path[0] == '/' ? path : base + path;
  if (path.rfind("\\\\", 0) == 0 || (HasDrive(path) && path.size() >= 3 && path[2] == '\\'))
    return path;
  if (!path.empty() && path[0] == '\\')
    return std::string(current.substr(0, 2)) + path;  // the current drive's root
  if (HasDrive(path)) {
    const bool sameDrive = HasDrive(current) && UpperAscii(current.substr(0, 1)) ==
                                                    UpperAscii(std::string_view(path).substr(0, 1));
    return sameDrive ? base + path.substr(2) : path.substr(0, 2) + "\\" + path.substr(2);
  }
  return base + path;
}

}  // namespace

std::string NormalizePath(std::string_view path, std::string_view currentFolder, PathStyle style) {
  const std::string text = UnifyDelimiters(std::string(path), style);
  const std::string current = UnifyDelimiters(std::string(currentFolder), style);
  const Rooted rooted = SplitRoot(Absolute(text, current, style), style);
  std::vector<std::string> kept;
  for (std::string& part : Components(rooted.rest, style)) {
    if (part.empty() || part == ".")
      continue;
    if (part == ".." && style == PathStyle::Windows) {
      if (!kept.empty())
        kept.pop_back();
      continue;
    }
    kept.push_back(std::move(part));
  }
  std::string result = rooted.root;
  for (size_t i = 0; i < kept.size(); ++i)
    result += (i == 0 ? "" : std::string(1, PathDelimiter(style))) + kept[i];
  return result;
}

}  // namespace tamsolo
