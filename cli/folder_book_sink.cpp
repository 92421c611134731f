#include "cli/folder_book_sink.h"

#include <algorithm>

#include "cli/folder_cleanup.h"
#include "platform/error.h"
#include "platform/folder_lock.h"
#include "platform/run_folder_name.h"
#include "queue/book_key.h"

namespace tamsolo {
namespace {

constexpr const char* kBookText = "book.txt";

constexpr int kHiddenFolderTries = 16;

}  // namespace

std::string BookFolderName(const std::string& title, PathStyle style) {
  const bool plain = !title.empty() && title != "." && title != ".." &&
                     FileNamePart(title, style) == title && title.find('/') == std::string::npos;
  return plain ? title : "_untitled";
}

std::string NumberedPageName(size_t position, size_t pageCount, const std::string& name) {
  const size_t width = std::max<size_t>(4, std::to_string(pageCount).size());
  std::string number = std::to_string(position);
  number.insert(0, width - std::min(width, number.size()), '0');
  return number + "_" + name;
}

FolderBookSink::FolderBookSink(FileSystem& fileSystem, std::string booksFolder, PathStyle style)
    : fs_(fileSystem), booksFolder_(std::move(booksFolder)), style_(style) {}

void FolderBookSink::BuildBook(const std::string& currentBook,
                               const std::vector<std::string>& pageList,
                               const std::string& workFolder) {
  if (currentBook.empty() || pageList.empty())
    return;  // a book without pages makes no folder
  BookText book;
  book.title = BookTitleOf(currentBook, style_);
  book.author = kBookAuthor;
  book.pages = pageList;
  if (lostPages_)
    book.lost = lostPages_();
  const std::string name = BookFolderName(book.title, style_);
  const std::string hidden = CreateHiddenFolder();
  std::string folder;
  try {
    {
      FolderLock lock(hidden);
      FillBookFolder(hidden, std::move(book), workFolder);
      lock.Remove();
    }
    folder = MoveIntoPlace(hidden, name);
  } catch (...) {
    RemoveFolderWithFiles(fs_, hidden, style_);
    throw;
  }
  if (onBookWritten_)
    onBookWritten_(folder);
}

std::string FolderBookSink::CreateHiddenFolder() {
  const std::string parent = AddTrailingDelimiter(booksFolder_, style_);
  for (int attempt = 1;; ++attempt) {
    const std::string candidate = parent + kHiddenPrefix + MakeRunFolderName();
    try {
      fs_.CreateFolderExclusive(candidate);
      return candidate;
    } catch (const SystemError&) {
      if (attempt == kHiddenFolderTries || !fs_.Exists(candidate))
        throw;
    }
  }
}

std::string FolderBookSink::MoveIntoPlace(const std::string& hidden, const std::string& name) {
  const std::string parent = AddTrailingDelimiter(booksFolder_, style_);
  for (int copy = 1;; ++copy) {
    const std::string candidate =
        parent + (copy == 1 ? name : name + " (" + std::to_string(copy) + ")");
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
                                    const std::string& workFolder) {
  const std::string source = AddTrailingDelimiter(workFolder, style_);
  const std::string target = AddTrailingDelimiter(folder, style_);
  for (size_t i = 0; i < book.pages.size(); ++i) {
    if (stop_ && stop_())
      throw Error("Interrupted while writing the book \"" + book.title + "\"");
    const std::string& page = book.pages[i];
    // The pages are written once: the work folder's name goes when the book is done.
    fs_.LinkOrCopyFile(source + page, target + NumberedPageName(i + 1, book.pages.size(), page));
  }
  const std::string text = FormatBookText(book);
  WriteFileCleanly(fs_, target + kBookText,
                   {reinterpret_cast<const uint8_t*>(text.data()), text.size()},
                   FileSystem::Create::New);
}

}  // namespace tamsolo
