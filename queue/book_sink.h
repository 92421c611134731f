#pragma once

#include <string>
#include <vector>

#include "queue/book_pages.h"

namespace tamsolo {

// The author every book gets, whichever sink builds it (UTF-8; the window converts it to the
// program's code page).
inline constexpr const char* kBookAuthor = "Tamsolo";

// Receives each finished book. currentBook is the book key with its trailing delimiter,
// pageList the page file names in book order, workFolder the folder holding them (no
// trailing delimiter). A sink never deletes, renames or changes the page files.
class BookSink {
 public:
  virtual ~BookSink() = default;
  virtual void BuildBook(const std::string& currentBook, const std::vector<std::string>& pageList,
                         const std::string& workFolder) = 0;
  // The one the scheduler calls: the same with, beside pageList, where each page comes from.
  // A sink that keeps no sources leaves this to the one above.
  virtual void BuildBookWithOrigins(const std::string& currentBook,
                                    const std::vector<std::string>& pageList,
                                    const std::vector<PageOrigin>& /*origins*/,
                                    const std::string& workFolder) {
    BuildBook(currentBook, pageList, workFolder);
  }
};

}  // namespace tamsolo
