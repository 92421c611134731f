#include "queue/queue_texts.h"

#include "queue/book_key.h"

namespace tamsolo {

std::string ItemText(std::string_view path, PathStyle style) {
  return BookKeyOf(path, style) + FileNamePart(path, style);
}

std::string ItemText(const SourceRef& source, PathStyle style) {
  if (!source.InArchive())
    return ItemText(source.path, style);
  return FileNamePart(source.archive->Path(), style) + PathDelimiter(style) + source.innerPath;
}

}  // namespace tamsolo
