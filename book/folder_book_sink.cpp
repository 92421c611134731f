#include "book/folder_book_sink.h"

#include <algorithm>
#include <limits>

#include "platform/folder_cleanup.h"
#include "platform/error.h"
#include "platform/locked_folder.h"
#include "platform/name_fit.h"
#include "platform/test_hook.h"
#include "queue/book_key.h"

namespace tamsolo {
namespace {

constexpr const char* kBookText = "book.txt";

// A book folder's name leaves room for a page like this beside it, whatever the path style.
constexpr size_t kShortestPageName = sizeof("0001_p.bmp") - 1;

}  // namespace

std::string BookFolderCandidate(const std::string& name, int k, size_t room, PathStyle style) {
  return FitName("", name, k == 1 ? "" : " (" + std::to_string(k) + ")", room, style);
}

BookFolderPlan PlanBookFolder(const std::string& parent, const std::string& name,
                              size_t hiddenNameBytes,
                              const std::function<bool(const std::string& path)>& exists,
                              PathStyle style) {
  const size_t room = NameRoom(parent.size() + 1 + kShortestPageName, style);
  BookFolderPlan plan;
  while (exists(parent + BookFolderCandidate(name, plan.firstCandidate, room, style)))
    ++plan.firstCandidate;
  plan.nameRoom =
      std::max(BookFolderCandidate(name, plan.firstCandidate, room, style).size(), hiddenNameBytes);
  plan.pageRoom = NameRoom(parent.size() + plan.nameRoom + 1, style);
  return plan;
}

std::string BookFolderName(const std::string& title, PathStyle style) {
  const bool plain = !title.empty() && title != "." && title != ".." &&
                     FileNamePart(title, style) == title && title.find('/') == std::string::npos;
  return plain ? title : "_untitled";
}

std::string NumberedPageName(size_t position, size_t pageCount, const std::string& name,
                             size_t room, PathStyle style) {
  const size_t width = std::max<size_t>(4, std::to_string(pageCount).size());
  std::string number = std::to_string(position);
  number.insert(0, width - std::min(width, number.size()), '0');
  return FitName(number + "_", BaseNameOf(name, style), ExtensionOf(name, style), room, style);
}

std::string FindNumberedPage(FileSystem& fs, const std::string& bookFolder, size_t position,
                             size_t pageCount, const std::string& name, PathStyle style,
                             std::optional<std::vector<FileSystem::Entry>>& listing) {
  const std::string prefix = AddTrailingDelimiter(bookFolder, style);
  const std::string whole =
      NumberedPageName(position, pageCount, name, std::numeric_limits<size_t>::max(), style);
  if (fs.Exists(prefix + whole))
    return prefix + whole;
  const std::string number = whole.substr(0, whole.find('_') + 1);
  const std::string extension = ExtensionOf(name, style);
  if (!listing)
    listing = fs.ReadFolder(bookFolder);
  for (const FileSystem::Entry& entry : *listing) {
    const bool same = !entry.isFolder && entry.name.starts_with(number) &&
                      entry.name.size() >= number.size() + extension.size() &&
                      entry.name.ends_with(extension);
    if (same)
      return prefix + entry.name;
  }
  return prefix + whole;  // missing: the reader's error names the page's own name
}

FolderBookSink::FolderBookSink(FileSystem& fileSystem, std::string booksFolder, Names names,
                               PathStyle style)
    : fs_(fileSystem),
      booksFolder_(std::move(booksFolder)),
      names_(std::move(names)),
      style_(style) {}

void FolderBookSink::BuildBook(const std::string& currentBook,
                               const std::vector<std::string>& pageList,
                               const std::string& workFolder) {
  BuildBookWithOrigins(currentBook, pageList, {}, workFolder);
}

void FolderBookSink::BuildBookWithOrigins(const std::string& currentBook,
                                          const std::vector<std::string>& pageList,
                                          const std::vector<PageOrigin>& origins,
                                          const std::string& workFolder) {
  if (currentBook.empty() || pageList.empty())
    return;  // a book without pages makes no folder
  BookText book;
  book.title = BookTitleOf(currentBook, style_);
  book.author = kBookAuthor;
  book.pages = DescribePages(pageList, origins);
  if (lostPages_)
    book.lost = lostPages_();
  const std::string name = BookFolderName(book.title, style_);
  const std::string parent = AddTrailingDelimiter(booksFolder_, style_);
  // Locked from before the hidden folder exists until after it has moved into place.
  LockedFolder hidden(fs_, parent, names_.hiddenPrefix, names_.lockFile, FolderAccess::Shared,
                      "book-folder", style_);
  std::string folder;
  try {
    const BookFolderPlan plan = PlanBookFolder(
        parent, name, hidden.Path().size() - parent.size(),
        [this](const std::string& path) { return fs_.Exists(path); }, style_);
    FillBookFolder(hidden.Path(), std::move(book), workFolder, plan.pageRoom);
    TestHook("book-folder-filled");
    folder = MoveIntoPlace(hidden.Path(), name, plan);
    TestHook("book-renamed");
  } catch (...) {
    if (RemoveFolderWithFiles(fs_, hidden.Path(), style_))
      hidden.Release();
    throw;
  }
  hidden.Release();
  if (onBookWritten_)
    onBookWritten_(folder);
}

std::string FolderBookSink::MoveIntoPlace(const std::string& hidden, const std::string& name,
                                          const BookFolderPlan& plan) {
  const std::string parent = AddTrailingDelimiter(booksFolder_, style_);
  for (int copy = plan.firstCandidate;; ++copy) {
    const std::string candidate = parent + BookFolderCandidate(name, copy, plan.nameRoom, style_);
    if (fs_.Exists(candidate))
      continue;
    try {
      fs_.RenameNoReplace(hidden, candidate);
      return candidate;
    } catch (const SystemError&) {
      if (!fs_.Exists(candidate))
        throw;  // not a name clash: the output folder itself is the trouble
    }
  }
}

void FolderBookSink::FillBookFolder(const std::string& folder, BookText book,
                                    const std::string& workFolder, size_t pageRoom) {
  const std::string source = AddTrailingDelimiter(workFolder, style_);
  const std::string target = AddTrailingDelimiter(folder, style_);
  for (size_t i = 0; i < book.pages.size(); ++i) {
    if (stop_ && stop_())
      throw Error("Interrupted while writing the book \"" + book.title + "\"");
    const std::string& page = book.pages[i].name;
    // The pages are written once: the work folder's name goes when the book is done.
    fs_.LinkOrCopyFile(source + page,
                       target + NumberedPageName(i + 1, book.pages.size(), page, pageRoom, style_));
  }
  const std::string text = FormatBookText(book);
  WriteFileCleanly(fs_, target + kBookText,
                   {reinterpret_cast<const uint8_t*>(text.data()), text.size()},
                   FileSystem::Create::New);
  if (onBookFilled_)
    onBookFilled_(folder, book);
}

std::vector<BookPage> FolderBookSink::DescribePages(const std::vector<std::string>& pageList,
                                                    const std::vector<PageOrigin>& origins) const {
  std::vector<BookPage> pages;
  for (size_t i = 0; i < pageList.size(); ++i) {
    BookPage page{pageList[i], "", 0, 0, false};
    if (i < origins.size()) {
      const PageOrigin& origin = origins[i];
      page.blank = origin.Blank();
      if (!origin.Blank()) {
        page.source = SourceField(origin, style_);
        page.v = origin.v;
        page.n = origin.n;
        page.clean = origin.clean;
      }
    }
    pages.push_back(std::move(page));
  }
  return pages;
}

}  // namespace tamsolo
