#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "clean/page_clean.h"
#include "job/page_names.h"
#include "platform/paths.h"

namespace tamsolo {

// Where one page of a book comes from: page v of the n pages cut from a source file, or a
// blank page.
struct PageOrigin {
  std::string source;  // the source's path (an entry's displayed path); empty for a blank
  int32_t v = 0;
  int32_t n = 0;
  std::string archive;                              // the archive an entry is in; empty for a file
  std::optional<CleanReport> clean = std::nullopt;  // what the clean-up did, when it ran

  bool Blank() const { return source.empty(); }
  bool operator==(const PageOrigin&) const = default;
};

// How a book names a page's source: a file by its name, an archive entry as
// "<archive name>/<inner path>" with "/" between the names inside on any system.
std::string SourceField(const PageOrigin& origin, PathStyle style);

// The pages of the book being collected and the rules that place them: the blank pages that
// keep the pages of a spread a facing pair (KeepSpreadParity) and the names that keep two
// sources of one base name apart. Bookkeeping only: the scheduler writes the page files and
// calls in as they are written; the plan calls in the same order without writing anything.
class BookPages {
 public:
  // Writes the blank page's file; it may throw, and the blank is then counted but not added.
  using BlankWriter = std::function<void(const std::string& name, int32_t position)>;

  // onDisk tells a name something already has where the pages go; the plan has no such place.
  // Names longer than nameRoom are shortened (see PageNames).
  explicit BookPages(PathStyle style, PageNames::OnDisk onDisk = {},
                     size_t nameRoom = std::numeric_limits<size_t>::max())
      : names_(style, PageNames::Folding::AsciiCase, std::move(onDisk), nameRoom) {}

  // For an image of count pages (2 or more), announced before any of its pages is recorded:
  // when count and PagesAdded differ in parity, a blank page "PGXblnk<BlankCount+1>.bmp" goes
  // right after the book's previous spread (count even) or right before this image (count
  // odd); writeBlank writes it, then InsertBlank records it. SpreadEnd then marks the end of
  // this image's pages.
  void KeepSpreadParity(int32_t count, const BlankWriter& writeBlank);
  // Records a blank page at position; throws Error when position lies outside the book.
  void InsertBlank(const std::string& name, int32_t position);
  void CheckBlankPosition(int32_t position) const;

  // Two sources with one base name in a book (p1.jpg and p1.png, or P1.jpg and p1.png, which
  // name the same file on Windows) would write one page file and lose a page; the book's
  // names are compared without ASCII case in every style, and a taken name becomes
  // <base>_2.bmp, <base>_3.bmp, ...
  std::string FreePageName(const std::string& name) const { return names_.FreeName(name); }
  // Records one written page at the end of the book.
  void AddPage(const std::string& name, PageOrigin origin);
  // A page of the latest spread was given up: that spread now ends one page earlier.
  void ShortenSpread() { --spreadEnd_; }

  // Empties the page lists when the book has been built, then the counters for the next book.
  void ClearPages();
  void ResetCounters();

  const std::vector<std::string>& PageList() const { return pageList_; }
  const std::vector<PageOrigin>& Origins() const { return origins_; }
  int32_t SpreadEnd() const { return spreadEnd_; }
  int32_t PagesAdded() const { return pagesAdded_; }
  int32_t BlankCount() const { return blankCount_; }
  int BlanksInBook() const { return blanksInBook_; }

 private:
  PageNames names_;  // the names in pageList_
  std::vector<std::string> pageList_;
  std::vector<PageOrigin> origins_;  // beside pageList_, one per page
  int32_t spreadEnd_ = 0;
  int32_t pagesAdded_ = 0;
  int32_t blankCount_ = 0;  // blanks named so far, also those whose file failed
  int blanksInBook_ = 0;    // blanks in pageList_
};

}  // namespace tamsolo
