#include "queue/path_order.h"

namespace tamsolo {

std::string FoldAsciiCase(std::string_view text, PathStyle style) {
  std::string folded(text);
  for (size_t i = 0; i < folded.size(); ++i) {
    const auto c = static_cast<unsigned char>(folded[i]);
    if (style == PathStyle::Windows && IsLeadByte(c)) {
      ++i;  // the trail byte belongs to the character
    } else if (c >= 'A' && c <= 'Z') {
      folded[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
}

}  // namespace tamsolo
