#include "app/window_texts.h"

#include "platform/system_text.h"

namespace tamsolo {

std::string RemainCaption(size_t count) {
  return std::to_string(count) + SystemText("ファイル");
}

}  // namespace tamsolo
