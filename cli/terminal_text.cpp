#include "cli/terminal_text.h"

#include "cli/book_text.h"

namespace tamsolo {

std::string TerminalText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F)
      shown += EscapeBookValue(text.substr(i, 1));
    else
      shown += text[i];
  }
  return shown;
}

}  // namespace tamsolo
