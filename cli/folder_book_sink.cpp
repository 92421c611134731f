#include "cli/folder_book_sink.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/error.h"
#include "platform/output_file.h"
#include "queue/book_key.h"

namespace tamsolo {
namespace {

constexpr const char* kBookText = "book.txt";

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
  const std::string title = BookTitleOf(currentBook, style_);
  const std::string folder = CreateBookFolder(BookFolderName(title, style_));
  std::vector<std::string> written;
  try {
    FillBookFolder(folder, title, pageList, workFolder, written);
  } catch (...) {
    // A half-written book would look like a finished one: take it away again.
    for (const std::string& path : written)
      fs_.DeleteFile(path);
    try {
      fs_.RemoveFolder(folder);
    } catch (const Error&) {
    }
    throw;
  }
  if (onBookWritten_)
    onBookWritten_(folder);
}

std::string FolderBookSink::CreateBookFolder(const std::string& name) {
  const std::string parent = AddTrailingDelimiter(booksFolder_, style_);
  for (int copy = 1;; ++copy) {
    const std::string candidate =
        parent + (copy == 1 ? name : name + " (" + std::to_string(copy) + ")");
    if (fs_.KindOf(candidate) != FileSystem::Kind::Missing)
      continue;
    try {
      fs_.CreateFolderExclusive(candidate);
      return candidate;
    } catch (const SystemError&) {
      if (fs_.KindOf(candidate) == FileSystem::Kind::Missing)
        throw;  // not a name clash: the books folder itself is the trouble
    }
  }
}

void FolderBookSink::FillBookFolder(const std::string& folder, const std::string& title,
                                    const std::vector<std::string>& pageList,
                                    const std::string& workFolder,
                                    std::vector<std::string>& written) {
  const std::string source = AddTrailingDelimiter(workFolder, style_);
  const std::string target = AddTrailingDelimiter(folder, style_);
  std::string text = "title: " + title + "\nauthor: " + kBookAuthor + "\n";
  for (size_t i = 0; i < pageList.size(); ++i) {
    const std::string copy = target + NumberedPageName(i + 1, pageList.size(), pageList[i]);
    written.push_back(copy);
    fs_.CopyFile(source + pageList[i], copy);
    text += "page: " + pageList[i] + "\n";
  }
  const std::string bookText = target + kBookText;
  written.push_back(bookText);
  WriteWholeFile(bookText, text);
}

}  // namespace tamsolo
