#include "queue/book_pages.h"

#include "platform/error.h"

namespace tamsolo {

void BookPages::KeepSpreadParity(int32_t count, const BlankWriter& writeBlank) {
  if (count % 2 != pagesAdded_ % 2) {
    const std::string name = "PGXblnk" + std::to_string(blankCount_ + 1) + ".bmp";
    ++blankCount_;
    // Even: right after the previous spread (or at the front). Odd: right before this image.
    writeBlank(FreePageName(name), count % 2 == 0 ? spreadEnd_ : pagesAdded_);
  }
  spreadEnd_ = count + pagesAdded_;
}

void BookPages::CheckBlankPosition(int32_t position) const {
  if (position < 0 || static_cast<size_t>(position) > pageList_.size())
    throw Error("Blank page position " + std::to_string(position) + " is outside the book");
}

void BookPages::InsertBlank(const std::string& name, int32_t position) {
  CheckBlankPosition(position);
  names_.Take(name);
  pageList_.insert(pageList_.begin() + position, name);
  origins_.insert(origins_.begin() + position, PageOrigin{});
  ++pagesAdded_;
  ++blanksInBook_;
}

std::string SourceField(const PageOrigin& origin, PathStyle style) {
  if (origin.archive.empty())
    return FileNamePart(origin.source, style);
  std::string inner =
      origin.source.substr(std::min(origin.source.size(), origin.archive.size() + 1));
  for (size_t i = 0; i < inner.size(); ++i) {
    if (style == PathStyle::Windows && IsLeadByte(static_cast<unsigned char>(inner[i])))
      ++i;  // a trail byte 0x5C is part of its character
    else if (inner[i] == PathDelimiter(style))
      inner[i] = '/';
  }
  return FileNamePart(origin.archive, style) + "/" + inner;
}

void BookPages::AddPage(const std::string& name, PageOrigin origin) {
  ++pagesAdded_;
  names_.Take(name);
  pageList_.push_back(name);
  origins_.push_back(std::move(origin));
}

void BookPages::ClearPages() {
  names_.Clear();
  pageList_.clear();
  origins_.clear();
}

void BookPages::ResetCounters() {
  pagesAdded_ = 0;
  blankCount_ = 0;
  spreadEnd_ = 0;
  blanksInBook_ = 0;
}

}  // namespace tamsolo
