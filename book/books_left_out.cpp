#include "book/books_left_out.h"

#include "platform/error.h"
#include "platform/file_reader.h"
#include "queue/book_sink.h"

namespace tamsolo {
namespace {

constexpr const char* kBookText = "book.txt";
// Enough for the title line of any title a folder name can give, escaped.
constexpr size_t kHeadBytes = 4096;

// book.txt as FormatBookText writes it: the title line, then the author line.
bool IsWrittenBookText(std::string_view head) {
  const size_t end = head.find('\n');
  return head.starts_with("title: ") && end != std::string_view::npos &&
         head.substr(end + 1).starts_with(std::string("author: ") + kBookAuthor + "\n");
}

}  // namespace

BooksLeftOut::BooksLeftOut(FileSystem& fs, const std::string& booksFolder, PathStyle style)
    : fs_(fs),
      booksIdentity_(booksFolder.empty() ? std::nullopt : fs.FolderIdentity(booksFolder)),
      style_(style) {}

bool BooksLeftOut::operator()(const std::string& path,
                              const std::vector<FileSystem::Entry>& entries) {
  const bool books = booksIdentity_ && fs_.FolderIdentity(path) == booksIdentity_;
  if (!books && !HoldsWrittenBook(path, entries))
    return false;
  leftOut_.push_back(path);
  return true;
}

bool BooksLeftOut::HoldsWrittenBook(const std::string& path,
                                    const std::vector<FileSystem::Entry>& entries) {
  for (const FileSystem::Entry& entry : entries) {
    if (entry.isFolder || entry.name != kBookText)
      continue;
    try {
      FileReader reader(AddTrailingDelimiter(path, style_) + kBookText);
      std::string head(kHeadBytes, '\0');
      head.resize(reader.Read(head.data(), head.size()));
      return IsWrittenBookText(head);
    } catch (const Error&) {
      return false;
    }
  }
  return false;
}

std::string BooksLeftOut::Warning() const {
  if (leftOut_.empty())
    return "";
  const size_t more = leftOut_.size() - 1;
  return "warning: left out " + leftOut_.front() +
         (more == 0 ? "" : " and " + std::to_string(more) + " more") +
         ": the books folder, or a book folder written earlier (it holds Tamsolo's book.txt)";
}

}  // namespace tamsolo
