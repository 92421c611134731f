#include "queue/queue_texts.h"

#include "queue/book_key.h"

namespace tamsolo {

std::string ItemText(std::string_view path, PathStyle style) {
  return BookKeyOf(path, style) + FileNamePart(path, style);
}

}  // namespace tamsolo
