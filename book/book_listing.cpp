#include "book/book_listing.h"

#include <algorithm>

#include "platform/control_bytes.h"

namespace tamsolo {
namespace {

std::string Plural(size_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::string Source(const BookPage& page) {
  if (page.Blank())
    return "blank";
  if (!page.HasSource() || page.n == 1)
    return EscapeControlBytes(page.source);
  return EscapeControlBytes(page.source) + " " + std::to_string(page.v) + "/" +
         std::to_string(page.n);
}

// Consecutive pages of one source in different pairs: position i (from 0) is the second of
// its pair and i + 1 the first of the next.
bool SplitAfter(const std::vector<BookPage>& pages, size_t i) {
  if (i % 2 == 0 || i + 1 >= pages.size())
    return false;
  const BookPage& a = pages[i];
  const BookPage& b = pages[i + 1];
  return a.HasSource() && b.HasSource() && a.source == b.source && b.v == a.v + 1;
}

}  // namespace

void WriteBookListing(const std::string& title, const std::vector<BookPage>& pages,
                      const std::vector<bool>& marked, std::ostream& out) {
  const size_t blanks = static_cast<size_t>(
      std::count_if(pages.begin(), pages.end(), [](const BookPage& p) { return p.Blank(); }));
  out << "book \"" << EscapeControlBytes(title) << "\": " << Plural(pages.size(), "page") << " ("
      << blanks << " blank) in " << Plural((pages.size() + 1) / 2, "facing pair") << "\n";
  std::vector<std::string> names;
  size_t nameWidth = 0;
  for (const BookPage& page : pages) {
    names.push_back(EscapeControlBytes(page.name));
    nameWidth = std::max(nameWidth, names.back().size());
  }
  const size_t numberWidth = std::max<size_t>(2, std::to_string(pages.size()).size());
  for (size_t i = 0; i < pages.size(); ++i) {
    const std::string pair = i % 2 == 0 ? "pair " + std::to_string(i / 2 + 1) : "";
    const std::string number = std::to_string(i + 1);
    out << "  " << pair << std::string(10 - std::min<size_t>(pair.size(), 9), ' ')
        << std::string(numberWidth - number.size(), ' ') << number << "  " << names[i]
        << std::string(nameWidth - names[i].size() + 2, ' ') << Source(pages[i])
        << (i < marked.size() && marked[i] ? " ?" : "") << "\n";
  }
  for (size_t i = 0; i < pages.size(); ++i) {
    if (SplitAfter(pages, i)) {
      out << "  " << EscapeControlBytes(pages[i].source) << " is split across pairs " << i / 2 + 1
          << " and " << i / 2 + 2 << "\n";
    }
  }
}

}  // namespace tamsolo
