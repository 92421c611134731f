#include "book/book_plan.h"

#include <exception>
#include <functional>

#include "book/books_left_out.h"
#include "queue/typed_paths.h"
#include "decode/image_header.h"
#include "job/source_layout.h"
#include "page/page_layout.h"
#include "platform/test_hook.h"
#include "queue/book_key.h"
#include "queue/file_queue.h"
#include "queue/input_collection.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

// What one file gives: a page count, or why it gives none.
struct FilePages {
  int32_t count = 0;
  bool ifDataDecodes = false;
  std::string failure;
};

// An archive entry is read whole, as convert reads it, and its header read from memory.
FileReader OpenSource(const SourceRef& source) {
  if (!source.InArchive())
    return FileReader(source.path);
  return FileReader(source.path, EntryBytes(source));
}

// The file's header, read with the decoders' checks; what was read is counted also when the
// header is refused.
ImageHeader CountedHeader(const SourceRef& source, uint64_t memoryLimit, BookPlan& plan) {
  FileReader file = OpenSource(source);
  ++plan.filesRead;
  struct Count {
    ~Count() { plan.bytesRead += file.BytesRead(); }
    const FileReader& file;
    BookPlan& plan;
  } count{file, plan};
  return ReadImageHeader(file, memoryLimit);
}

// The header stands in for the decode, the layout is the job's; both throw the texts that
// convert reports.
FilePages PagesOf(const SourceRef& source, uint64_t memoryLimit, BookPlan& plan) {
  FilePages pages;
  try {
    const ImageHeader header = CountedHeader(source, memoryLimit, plan);
    pages.ifDataDecodes = !header.dataChecked;
    pages.count = LayoutSource(header.width, header.height).pages.count;
  } catch (const std::exception& error) {
    pages.failure = ReasonOf(error);
    return pages;
  }
  if (pages.count == 0)
    pages.failure = "the image is too small for a page";
  return pages;
}

// Collects the books in queue order, calling BookPages in the order the scheduler does: the
// count of an image of two or more pages first, then each page under its free name.
class Planner {
 public:
  Planner(const PlanOptions& options, BookPlan& plan)
      : options_(options), plan_(plan), book_(options.style) {}

  void Add(const SourceRef& source) {
    BookSource book = BookSourceOf(source, options_.style);
    if ((book.key != currentBook_ || book.archive != currentArchive_) && !currentBook_.empty())
      CloseBook();
    currentBook_ = std::move(book.key);
    currentArchive_ = std::move(book.archive);
    const std::string& path = source.path;
    const FilePages pages = PagesOf(source, options_.memoryLimit, plan_);
    if (!pages.failure.empty()) {
      plan_.noPages.push_back({path, pages.failure});
      return;
    }
    if (pages.count >= 2)
      book_.KeepSpreadParity(pages.count, [this](const std::string& name, int32_t position) {
        book_.InsertBlank(name, position);
      });
    const std::string base = PageBaseName(source, options_.style);
    for (int32_t v = 1; v <= pages.count; ++v) {
      const std::string name = book_.FreePageName(PageFileNameFor(base, pages.count, v));
      book_.AddPage(name, {path, v, pages.count, currentArchive_});
      ifDataDecodes_.push_back(pages.ifDataDecodes);
    }
  }

  void CloseBook() {
    PlannedBook book{BookTitleOf(currentBook_, options_.style), {}};
    size_t sourcePage = 0;  // blanks are inserted, so the flags follow the sources' pages
    for (size_t i = 0; i < book_.PageList().size(); ++i) {
      const PageOrigin& origin = book_.Origins()[i];
      const bool unsure = !origin.Blank() && ifDataDecodes_[sourcePage++];
      book.pages.push_back({book_.PageList()[i], origin, unsure});
    }
    if (!book.pages.empty())  // a book without pages makes no folder
      plan_.books.push_back(std::move(book));
    book_.ClearPages();
    book_.ResetCounters();
    ifDataDecodes_.clear();
    currentBook_.clear();
    currentArchive_.clear();
  }

 private:
  const PlanOptions& options_;
  BookPlan& plan_;
  BookPages book_;
  std::vector<bool> ifDataDecodes_;  // per source page, in the order added
  std::string currentBook_;
  std::string currentArchive_;
};

}  // namespace

BookPlan MakeBookPlan(const PlanOptions& options, FileSystem& fs) {
  BookPlan plan;
  FileQueue queue(options.style, options.order);
  // As convert leaves them out; plan has no books folder of its own.
  BooksLeftOut leftOut(fs, "", options.style);
  WalkOptions walk;
  walk.leaveOut = std::ref(leftOut);
  walk.inputs = options.inputs;
  walk.archiveEntryLimit = options.memoryLimit;
  QueueTypedPaths(
      fs, options.paths,
      [&](const std::string& path, const WalkOptions& given) {
        return AddPath(fs, queue, path, given);
      },
      options.stop, plan.ignored, walk);
  const std::vector<std::string> paths = queue.Paths();
  plan.warnings = RepeatedFileWarnings(paths);
  if (options.order == QueueOrder::Bytes) {
    for (std::string& warning : UnpaddedNumberWarnings(paths, options.style))
      plan.warnings.push_back(std::move(warning));
  }
  if (const std::string warning = leftOut.Warning(); !warning.empty())
    plan.warnings.push_back(warning);
  Planner planner(options, plan);
  TestHook("plan-headers", options.stop);
  for (const SourceRef& source : queue.Sources()) {
    if (options.stop && options.stop()) {
      plan.stopped = true;
      return plan;
    }
    planner.Add(source);
  }
  planner.CloseBook();
  plan.stopped = options.stop && options.stop();
  return plan;
}

}  // namespace tamsolo
