#include "queue/book_key.h"

namespace tamsolo {

std::string BookKeyOf(std::string_view path, PathStyle style) {
  return ParentFolderName(path, style) + PathDelimiter(style);
}

std::string BookTitleOf(std::string_view bookKey, PathStyle style) {
  return RemoveTrailingDelimiter(bookKey, style);
}

}  // namespace tamsolo
