#include "cli/convert_run.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "platform/folder_cleanup.h"
#include "job/page_pipeline.h"
#include "cli/output_folder.h"
#include "platform/control_bytes.h"
#include "decode/decoders.h"
#include "platform/current_folder.h"
#include "platform/locked_folder.h"
#include "platform/error.h"
#include "platform/hand_over.h"
#include "platform/name_fit.h"
#include "platform/path_normal.h"
#include "cli/convert_report.h"
#include "cli/exit_codes.h"
#include "book/books_left_out.h"
#include "book/folder_book_sink.h"
#include "preview/book_preview.h"
#include "queue/queue_scheduler.h"
#include "cli/tick_driver.h"
#include "queue/typed_paths.h"
#include "cli/warnings.h"

namespace tamsolo {
namespace {

constexpr const char* kWorkFolderPrefix = "tamsolo-cli-";
constexpr const char* kHiddenBookPrefix = ".tamsolo-cli-book-";
constexpr const char* kLockFile = "tamsolo-cli.lock";
constexpr const char* kPreviewFile = "preview.png";

// The private folder the pages wait in until their book is written; made exclusively so
// that no other run's folder is ever reused, and locked for the run from before it exists
// until after it is gone, so that a later run can tell it from one a killed run left behind.
class WorkFolder {
 public:
  WorkFolder(FileSystem& fs, PathStyle style)
      : fs_(fs),
        style_(style),
        folder_(fs, AddTrailingDelimiter(fs.TempFolder(), style), kWorkFolderPrefix, kLockFile,
                FolderAccess::Private, "work-folder", style) {}
  ~WorkFolder() {
    if (!removed_)
      Remove();
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  const std::string& Path() const { return folder_.Path(); }

  // Removes the folder with anything a failed write may have left in it; false when it stays.
  bool Remove() {
    removed_ = true;
    if (!RemoveFolderWithFiles(fs_, folder_.Path(), style_))
      return false;
    folder_.Release();
    return true;
  }

 private:
  FileSystem& fs_;
  PathStyle style_;
  LockedFolder folder_;
  bool removed_ = false;
};

// Owns the scheduler for one run and makes sure no job outlives it.
class Run {
 public:
  Run(const ConvertRunOptions& options, FileSystem& fs, const std::string& workFolder,
      const std::atomic<bool>& interrupted)
      : options_(options),
        interrupted_(interrupted),
        sink_(fs, options.booksFolder, {kHiddenBookPrefix, kLockFile}, options.style),
        scheduler_(fs, handOver_, sink_,
                   {.workFolder = workFolder,
                    .style = options.style,
                    .filterIndex = options.filterIndex,
                    .pageCreate = FileSystem::Create::New,
                    .isConverting = [this] { return converting_; },
                    .decodeMemoryLimit = options.memoryLimit,
                    .pageNameRoom = NameRoom(AddTrailingDelimiter(workFolder, options.style).size(),
                                             options.style),
                    .order = options.order,
                    .prepare = [this](const SourceRef& source) { return Prepare(source); }}) {
    sink_.SetStopRequested([this] { return interrupted_.load(); });
    // Drawn from the copies just made, as `preview` draws a book folder written earlier.
    if (options.preview)
      sink_.OnBookFilled(
          [&fs, style = options.style](const std::string& folder, const BookText& book) {
            WriteBookPreview(fs, folder, book.title, book.pages,
                             AddTrailingDelimiter(folder, style) + kPreviewFile, style,
                             FileSystem::Create::New);
          });
  }

  ~Run() {
    try {
      StopJob();
      scheduler_.DeleteTempFiles();
    } catch (...) {
    }
  }

  // Queues every path; what a path the user typed gives nothing for is reported in ignored.
  // The books folder and book folders written earlier are left out and noted in leftOut.
  size_t Queue(FileSystem& fs, std::vector<std::string>& ignored, BooksLeftOut& leftOut) {
    WalkOptions walk;
    walk.leaveOut = std::ref(leftOut);
    walk.inputs = options_.inputs;
    walk.archiveEntryLimit = options_.memoryLimit;
    walk.archiveBuffer = options_.memoryBudget / 4;
    return QueueTypedPaths(
        fs, options_.paths,
        [this](const std::string& path, const WalkOptions& given) {
          return scheduler_.AddPath(path, given);
        },
        [this] { return interrupted_.load(); }, ignored, walk);
  }

  // Files queued more than once, and where the queue's byte order would scramble numbered
  // scans, before anything is converted.
  std::vector<std::string> QueueWarnings() const {
    const std::vector<std::string> paths = scheduler_.Queue().Paths();
    std::vector<std::string> warnings = RepeatedFileWarnings(paths);
    if (options_.order == QueueOrder::Bytes) {
      for (std::string& warning : UnpaddedNumberWarnings(paths, options_.style))
        warnings.push_back(std::move(warning));
    }
    return warnings;
  }

  // Converts until everything is built; false when interrupted first.
  bool Convert(ConvertReport& report, const std::atomic<bool>& interrupted) {
    report_ = &report;
    scheduler_.SetObserver(&report);
    sink_.OnBookWritten([&report](const std::string& folder) { report.BookWritten(folder); });
    sink_.SetLostPages([&report] { return report.LostInOpenBook(); });
    // Nothing is added once the run converts, so the queue's order is the order the
    // scheduler will take the files in.
    pipeline_ = std::make_unique<PagePipeline>(
        scheduler_.Queue().Sources(),
        PipelineSettings{options_.jobs, options_.memoryBudget, options_.filterIndex,
                         options_.memoryLimit, InputSet::Extended, options_.clean},
        interrupted_);
    converting_ = true;
    SteadyClock clock;
    TickDriver ticks([this] { scheduler_.MainTimerTimer(); }, clock);
    while (!scheduler_.Idle()) {
      if (interrupted)
        return false;
      // Nothing is dropped while the run goes on, so the next file may start at once
      // rather than on the next tick.
      if (!scheduler_.JobRunning())
        scheduler_.ProcessNext();
      // A decode that an interrupt cut short comes back here: no reason to wait first.
      if (!interrupted)
        handOver_.WaitAndRun(std::min(ticks.Poll(), kInterruptPoll));
    }
    return true;
  }

  void StopJob() {
    converting_ = false;
    scheduler_.StopJob();
    while (scheduler_.JobRunning())
      handOver_.WaitAndRun(kInterruptPoll);
  }

 private:
  PreparedPages Prepare(const SourceRef& source) {
    DecodeNotes notes;
    PreparedPages pages = pipeline_->Take(source, &notes);
    if (notes.dataEndedEarly && report_)
      report_->AddWarning(source.path + ": " + kDataEndedEarlyText);
    return pages;
  }

  const ConvertRunOptions& options_;
  const std::atomic<bool>& interrupted_;
  ConvertReport* report_ = nullptr;
  QueuedHandOver handOver_;
  bool converting_ = false;
  FolderBookSink sink_;
  QueueScheduler scheduler_;
  // Made once the files are queued; the scheduler asks it only while converting.
  std::unique_ptr<PagePipeline> pipeline_;
};

// Absolute, with ".." resolved as the system resolves it (so that "dl/../books" with dl a
// link lands where the system puts it), and so that "." and ".." never become a book's title.
ConvertRunOptions Normalized(ConvertRunOptions options) {
  const std::string current = CurrentFolder();
  for (std::string& path : options.paths)
    path = ResolveParentSteps(NormalizePath(path, current, options.style));
  options.booksFolder =
      ResolveParentSteps(NormalizePath(options.booksFolder, current, options.style));
  return options;
}

// Queues and converts everything; the report is made as soon as the files are counted.
int ConvertAll(const ConvertRunOptions& options, FileSystem& fs, const std::string& workFolder,
               std::ostream& progress, const std::atomic<bool>& interrupted,
               std::unique_ptr<ConvertReport>& report) {
  Run run(options, fs, workFolder, interrupted);
  std::vector<std::string> ignored;
  BooksLeftOut leftOut(fs, options.booksFolder, options.style);
  const size_t total = run.Queue(fs, ignored, leftOut);
  for (const std::string& warning : run.QueueWarnings())
    progress << EscapeControlBytes(warning) << '\n';
  const ConvertReport::Display display{options.quiet ? nullptr : &progress,
                                       options.progressIsTerminal};
  report = std::make_unique<ConvertReport>(total, display, options.style);
  for (const std::string& line : ignored)
    report->AddProblem(line);
  if (const std::string warning = leftOut.Warning(); !warning.empty())
    report->AddWarning(warning);
  const bool finished = !interrupted && run.Convert(*report, interrupted);
  run.StopJob();
  report->EndProgress();
  if (!finished) {
    report->AddProblem("interrupted: the book being collected was not written");
    return kCliInterrupted;
  }
  return report->Complete() ? kCliOk : kCliPartial;
}

}  // namespace

int RunConvert(const ConvertRunOptions& given, FileSystem& fs, std::ostream& summary,
               std::ostream& progress, const std::atomic<bool>& interrupted) {
  ConvertRunOptions options;
  std::unique_ptr<WorkFolder> workFolder;
  try {
    options = Normalized(given);
    PrepareOutputFolder(options.booksFolder, fs, options.style);
    // What killed runs left: their work folders and their half-written books.
    RemoveStaleFolders(fs, fs.TempFolder(), kWorkFolderPrefix, kLockFile, options.style);
    RemoveStaleFolders(fs, options.booksFolder, kHiddenBookPrefix, kLockFile, options.style);
    workFolder = std::make_unique<WorkFolder>(fs, options.style);
  } catch (const std::exception& e) {
    progress << "tamsolo-cli: " << EscapeControlBytes(ReasonOf(e)) << '\n';
    return kCliFatal;
  }

  int exitCode = kCliFatal;
  std::unique_ptr<ConvertReport> report;
  try {
    exitCode = ConvertAll(options, fs, workFolder->Path(), progress, interrupted, report);
  } catch (const std::exception& e) {
    if (report)
      report->EndProgress();
    progress << "tamsolo-cli: " << EscapeControlBytes(ReasonOf(e)) << '\n';
  }
  if (!workFolder->Remove()) {
    progress << "tamsolo-cli: cannot remove the work folder \""
             << EscapeControlBytes(workFolder->Path()) << "\"\n";
    if (exitCode == kCliOk)
      exitCode = kCliFatal;
  }
  if (report) {
    if (report->ProgressLost() && exitCode == kCliOk)
      exitCode = kCliPartial;
    // The command line names the reason once the command returns.
    if (!report->WriteSummary(summary) && exitCode == kCliOk)
      exitCode = kCliPartial;
  }
  return exitCode;
}

}  // namespace tamsolo
