#include "queue/queue_texts.h"

#include "platform/system_text.h"

namespace tamsolo {

std::string BookKeyOf(std::string_view path, PathStyle style) {
  return ParentFolderName(path, style) + PathDelimiter(style);
}

std::string ItemText(std::string_view path, PathStyle style) {
  return BookKeyOf(path, style) + FileNamePart(path, style);
}

std::string RemainCaption(size_t count) {
  return std::to_string(count) + SystemText("ファイル");
}

std::string BookTitleOf(std::string_view bookKey, PathStyle style) {
  return RemoveTrailingDelimiter(bookKey, style);
}

}  // namespace tamsolo
