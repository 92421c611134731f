#include "queue/queue_texts.h"

#include "platform/system_text.h"
#include "queue/book_key.h"

namespace tamsolo {

std::string ItemText(std::string_view path, PathStyle style) {
  return BookKeyOf(path, style) + FileNamePart(path, style);
}

std::string RemainCaption(size_t count) {
  return std::to_string(count) + SystemText("ファイル");
}

}  // namespace tamsolo
