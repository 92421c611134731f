#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "clean/page_clean.h"

namespace tamsolo {

// One page of a written book as book.txt records it: the page file's name and where the page
// comes from, page v of the n pages cut from a source file, or a blank page. A book written
// before book.txt said so has pages of neither kind.
struct BookPage {
  std::string name;
  std::string source;  // the source file's name, without folder
  int32_t v = 0;       // 0 when there is no source
  int32_t n = 0;
  bool blank = false;
  std::optional<CleanReport> clean =
      std::nullopt;  // what the clean-up did to the source, when it ran

  bool Blank() const { return blank; }
  bool HasSource() const { return n > 0; }
  bool operator==(const BookPage&) const = default;
};

}  // namespace tamsolo
