#pragma once

#include <cstdint>
#include <string>

namespace tamsolo {

// One page of a written book as book.txt records it: the page file's name and where the page
// comes from, page v of the n pages cut from a source file, or a blank page.
struct BookPage {
  std::string name;
  std::string source;  // the source file's name, without folder; empty for a blank page
  int32_t v = 0;
  int32_t n = 0;

  bool Blank() const { return source.empty(); }
  bool operator==(const BookPage&) const = default;
};

}  // namespace tamsolo
