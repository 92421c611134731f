#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/book_text.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "queue/book_sink.h"

namespace tamsolo {

// Writes each book as a folder of its own inside the books folder: the page files copied in
// book order as NNNN_<page name>, and book.txt with the title, the author, the status, the
// pages lost on the way and the page names the builder would receive, each with its source
// or as a blank. The book is written
// into a hidden folder beside its place and renamed into place when complete, so a book
// folder exists whole or not at all. The folder is named after the title; it never writes
// into a folder that exists already.
class FolderBookSink final : public BookSink {
 public:
  // The pages given up since the last book was built; they belong to the book being built.
  using LostPages = std::function<std::vector<LostPage>()>;
  // Polled between page copies: a book interrupted half-way is taken away again.
  using StopRequested = std::function<bool()>;

  static constexpr const char* kHiddenPrefix = ".tamsolo-cli-book-";

  FolderBookSink(FileSystem& fileSystem, std::string booksFolder, PathStyle style);

  void SetLostPages(LostPages lostPages) { lostPages_ = std::move(lostPages); }
  void SetStopRequested(StopRequested stop) { stop_ = std::move(stop); }

  // Without sources the page lines of book.txt carry the names alone.
  void BuildBook(const std::string& currentBook, const std::vector<std::string>& pageList,
                 const std::string& workFolder) override;
  void BuildBookWithOrigins(const std::string& currentBook,
                            const std::vector<std::string>& pageList,
                            const std::vector<PageOrigin>& origins,
                            const std::string& workFolder) override;

  // Also draws preview.png, with preview.txt beside it, into each book folder.
  void SetPreview(bool preview) { preview_ = preview; }

  // Told the folder of each book once it is complete.
  using BookWrittenHandler = std::function<void(const std::string& folder)>;
  void OnBookWritten(BookWrittenHandler handler) { onBookWritten_ = std::move(handler); }

 private:
  std::string CreateHiddenFolder();
  std::string MoveIntoPlace(const std::string& hidden, const std::string& name);
  void FillBookFolder(const std::string& folder, BookText book, const std::string& workFolder);
  std::vector<BookPage> DescribePages(const std::vector<std::string>& pageList,
                                      const std::vector<PageOrigin>& origins) const;

  FileSystem& fs_;
  std::string booksFolder_;
  PathStyle style_;
  LostPages lostPages_;
  StopRequested stop_;
  BookWrittenHandler onBookWritten_;
  bool preview_ = false;
};

// The folder name a title gets: "_untitled" for an empty title, "." or "..", or one that
// holds a path delimiter.
std::string BookFolderName(const std::string& title, PathStyle style);

// "0001_a.bmp": the 1-based position, at least four digits, then the page name.
std::string NumberedPageName(size_t position, size_t pageCount, const std::string& name);

}  // namespace tamsolo
