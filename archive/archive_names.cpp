#include "archive/archive_names.h"

#include <array>
#include <string_view>

namespace tamsolo {
namespace {

constexpr std::array<std::string_view, 4> kComic = {".CBZ", ".CBR", ".CB7", ".CBT"};
constexpr std::array<std::string_view, 4> kGeneric = {".ZIP", ".RAR", ".7Z", ".TAR"};

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "x.part2.rar" and "x.7z.001"; a first part alone is no archive either.
bool IsPart(const std::string& upperName) {
  const std::string_view name = upperName;
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos)
    return false;
  const std::string_view last = name.substr(dot + 1);
  const std::string_view rest = name.substr(0, dot);
  if (AllDigits(last) && last.size() == 3)
    return rest.size() > 3 && rest.substr(rest.size() - 3) == ".7Z";
  const size_t part = rest.rfind(".PART");
  return last == "RAR" && part != std::string_view::npos && AllDigits(rest.substr(part + 5));
}

}  // namespace

ArchiveName ArchiveNameOf(const std::string& path, PathStyle style) {
  const std::string name = UpperAscii(FileNamePart(path, style));
  if (IsPart(name))
    return ArchiveName::Part;
  const std::string extension = UpperAscii(ExtensionOf(path, style));
  for (std::string_view comic : kComic)
    if (extension == comic)
      return ArchiveName::Comic;
  for (std::string_view generic : kGeneric)
    if (extension == generic)
      return ArchiveName::Generic;
  return ArchiveName::None;
}

std::string ArchiveTitle(const std::string& path, PathStyle style) {
  const std::string name = FileNamePart(path, style);
  return name.substr(0, name.size() - ExtensionOf(path, style).size());
}

}  // namespace tamsolo
