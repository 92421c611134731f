#include "queue/book_key.h"

#include "archive/archive_names.h"

namespace tamsolo {

std::string BookKeyOf(std::string_view path, PathStyle style) {
  return ParentFolderName(path, style) + PathDelimiter(style);
}

BookSource BookSourceOf(const SourceRef& source, PathStyle style) {
  if (!source.InArchive())
    return {BookKeyOf(source.path, style), ""};
  return {ArchiveTitle(source.archive->Path(), style) + PathDelimiter(style),
          source.archive->Path()};
}

std::string BookTitleOf(std::string_view bookKey, PathStyle style) {
  return RemoveTrailingDelimiter(bookKey, style);
}

}  // namespace tamsolo
