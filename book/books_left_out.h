#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace tamsolo {

// The folders of books a walk leaves out, so that converting a folder into a books folder
// inside it (`convert . -o books`, run twice) never takes the books of an earlier run as new
// input: the books folder itself, known by its identity (device and inode; the file ID on
// Windows) so that links, ".." and letter case cannot hide it, and any folder holding a
// book.txt that Tamsolo wrote.
class BooksLeftOut {
 public:
  // booksFolder empty: only the folders holding a book.txt are left out.
  BooksLeftOut(FileSystem& fileSystem, const std::string& booksFolder, PathStyle style);

  // For WalkOptions::leaveOut; notes each folder it leaves out.
  bool operator()(const std::string& path, const std::vector<FileSystem::Entry>& entries);

  // One line saying what was left out ("" when nothing was).
  std::string Warning() const;

 private:
  bool HoldsWrittenBook(const std::string& path, const std::vector<FileSystem::Entry>& entries);

  FileSystem& fs_;
  std::optional<std::string> booksIdentity_;
  PathStyle style_;
  std::vector<std::string> leftOut_;
};

}  // namespace tamsolo
