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

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digit run starting at i, without its leading zeros; i moves past the run.
std::string_view DigitRun(std::string_view text, size_t& i) {
  const size_t start = i;
  while (i < text.size() && IsDigit(text[i]))
    ++i;
  std::string_view run = text.substr(start, i - start);
  while (run.size() > 1 && run.front() == '0')
    run.remove_prefix(1);
  return run;
}

// -1, 0 or 1; 0 when the texts differ only in the zeros padding their numbers.
int CompareNatural(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::string_view x = DigitRun(a, i);
      const std::string_view y = DigitRun(b, j);
      if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
      if (x != y)
        return x < y ? -1 : 1;
      continue;
    }
    // Trail bytes of double-byte characters start at 0x40, so none is taken for a digit.
    if (a[i] != b[j])
      return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size())
    return i < a.size() ? 1 : -1;
  return 0;
}

// Where the extension of the text's last name starts (its last '.'), or the text's size.
size_t StemEnd(std::string_view text) {
  const size_t dot = text.rfind('.');
  if (dot == std::string_view::npos || text.find_first_of("/\\", dot) != std::string_view::npos)
    return text.size();
  return dot;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
  const size_t aStem = StemEnd(a), bStem = StemEnd(b);
  int order = CompareNatural(a.substr(0, aStem), b.substr(0, bStem));
  if (order == 0)
    order = CompareNatural(a.substr(aStem), b.substr(bStem));
  return order != 0 ? order < 0 : a < b;
}

bool FoldedLess(std::string_view a, std::string_view b, QueueOrder order) {
  return order == QueueOrder::Natural ? NaturalLess(a, b) : a < b;
}

bool QueueLess(std::string_view aKey, std::string_view aPath, std::string_view bKey,
               std::string_view bPath, QueueOrder order) {
  if (aKey != bKey)
    return FoldedLess(aKey, bKey, order);
  return aPath < bPath;
}

}  // namespace tamsolo
