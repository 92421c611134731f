#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "queue/book_sink.h"

namespace tamsolo {

// Writes each book as a folder of its own inside the books folder: the page files copied in
// book order as NNNN_<page name>, and book.txt with the title, the author and the page names
// the builder would receive. The folder is named after the title; it never writes into a
// folder that exists already.
class FolderBookSink final : public BookSink {
 public:
  FolderBookSink(FileSystem& fileSystem, std::string booksFolder, PathStyle style);

  void BuildBook(const std::string& currentBook, const std::vector<std::string>& pageList,
                 const std::string& workFolder) override;

  // Told the folder of each book once it is complete.
  using BookWrittenHandler = std::function<void(const std::string& folder)>;
  void OnBookWritten(BookWrittenHandler handler) { onBookWritten_ = std::move(handler); }

 private:
  std::string CreateBookFolder(const std::string& name);
  void FillBookFolder(const std::string& folder, const std::string& title,
                      const std::vector<std::string>& pageList, const std::string& workFolder,
                      std::vector<std::string>& written);

  FileSystem& fs_;
  std::string booksFolder_;
  PathStyle style_;
  BookWrittenHandler onBookWritten_;
};

// The folder name a title gets: "_untitled" for an empty title, "." or "..", or one that
// holds a path delimiter.
std::string BookFolderName(const std::string& title, PathStyle style);

// "0001_a.bmp": the 1-based position, at least four digits, then the page name.
std::string NumberedPageName(size_t position, size_t pageCount, const std::string& name);

}  // namespace tamsolo
