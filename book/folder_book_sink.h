#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "book/book_text.h"
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
// into a folder that exists already. Names too long for the system (NAME_MAX on POSIX,
// MAX_PATH for the whole path on Windows) are cut short: the folder's title before its
// " (2)", a page copy's name between its order number and its extension.
// Where a book's folder goes and how long the names in it may be.
struct BookFolderPlan {
  int firstCandidate = 1;  // 1: the name itself, k: "name (k)"
  size_t nameRoom = 0;     // the longest the folder's name may be
  size_t pageRoom = 0;     // the longest a page's name in it may be
};

// The k-th name a book's folder may take: name, then "name (2)", "name (3)", ..., name cut
// short where the whole would pass room bytes.
std::string BookFolderCandidate(const std::string& name, int k, size_t room, PathStyle style);

// The first candidate that nothing in parent (its path with the delimiter) has, leaving room
// for a delimiter and a short page after it. The pages are named before the book moves from
// its hidden folder (hiddenNameBytes long) into place, where that name may have been taken
// meanwhile: a later candidate is kept within the longer of the two names, so the page names
// fit wherever the book lands.
BookFolderPlan PlanBookFolder(const std::string& parent, const std::string& name,
                              size_t hiddenNameBytes,
                              const std::function<bool(const std::string& path)>& exists,
                              PathStyle style);

class FolderBookSink final : public BookSink {
 public:
  // The pages given up since the last book was built; they belong to the book being built.
  using LostPages = std::function<std::vector<LostPage>()>;
  // Polled between page copies: a book interrupted half-way is taken away again.
  using StopRequested = std::function<bool()>;

  // What the owner calls its folders: the hidden folder a book is written in starts with
  // hiddenPrefix; lockFile names its lock file, "<hidden folder>.<lockFile>" beside it.
  struct Names {
    std::string hiddenPrefix;
    std::string lockFile;
  };

  FolderBookSink(FileSystem& fileSystem, std::string booksFolder, Names names, PathStyle style);

  void SetLostPages(LostPages lostPages) { lostPages_ = std::move(lostPages); }
  void SetStopRequested(StopRequested stop) { stop_ = std::move(stop); }

  // Without sources the page lines of book.txt carry the names alone.
  void BuildBook(const std::string& currentBook, const std::vector<std::string>& pageList,
                 const std::string& workFolder) override;
  void BuildBookWithOrigins(const std::string& currentBook,
                            const std::vector<std::string>& pageList,
                            const std::vector<PageOrigin>& origins,
                            const std::string& workFolder) override;

  // Told each book's hidden folder and text once its pages and book.txt are in, before the
  // folder moves into place: what it adds there appears with the book.
  using BookFilledHandler = std::function<void(const std::string& folder, const BookText& book)>;
  void OnBookFilled(BookFilledHandler handler) { onBookFilled_ = std::move(handler); }

  // Told the folder of each book once it is complete.
  using BookWrittenHandler = std::function<void(const std::string& folder)>;
  void OnBookWritten(BookWrittenHandler handler) { onBookWritten_ = std::move(handler); }

 private:
  std::string MoveIntoPlace(const std::string& hidden, const std::string& name,
                            const BookFolderPlan& plan);
  void FillBookFolder(const std::string& folder, BookText book, const std::string& workFolder,
                      size_t pageRoom);
  std::vector<BookPage> DescribePages(const std::vector<std::string>& pageList,
                                      const std::vector<PageOrigin>& origins) const;

  FileSystem& fs_;
  std::string booksFolder_;
  Names names_;
  PathStyle style_;
  LostPages lostPages_;
  StopRequested stop_;
  BookWrittenHandler onBookWritten_;
  BookFilledHandler onBookFilled_;
};

// The folder name a title gets: "_untitled" for an empty title, "." or "..", or one that
// holds a path delimiter.
std::string BookFolderName(const std::string& title, PathStyle style);

// "0001_a.bmp": the 1-based position, at least four digits, then the page name, its base cut
// short where the whole would pass room bytes.
std::string NumberedPageName(size_t position, size_t pageCount, const std::string& name,
                             size_t room, PathStyle style);

// The path of the page at position in a book folder written earlier. A name the system's
// limits cut short when the book was written is found by its number and extension, in the
// folder's entries: listing holds them once read, so a book of many missing pages lists its
// folder once.
std::string FindNumberedPage(FileSystem& fs, const std::string& bookFolder, size_t position,
                             size_t pageCount, const std::string& name, PathStyle style,
                             std::optional<std::vector<FileSystem::Entry>>& listing);

}  // namespace tamsolo
