#include "cli/convert_run.h"

#include <algorithm>
#include <memory>
#include <set>

#include "cli/folder_cleanup.h"
#include "cli/page_pipeline.h"
#include "cli/output_folder.h"
#include "cli/terminal_text.h"
#include "decode/decoders.h"
#include "platform/current_folder.h"
#include "platform/folder_lock.h"
#include "platform/error.h"
#include "platform/hand_over.h"
#include "platform/path_normal.h"
#include "platform/run_folder_name.h"
#include "cli/convert_report.h"
#include "cli/exit_codes.h"
#include "cli/folder_book_sink.h"
#include "queue/queue_scheduler.h"
#include "cli/tick_driver.h"

namespace tamsolo {
namespace {

constexpr int kWorkFolderTries = 16;
constexpr std::chrono::milliseconds kLongestWait{100};  // how late a Ctrl-C may be noticed
constexpr const char* kWorkFolderPrefix = "tamsolo-cli-";

// The private folder the pages wait in until their book is written; created exclusively so
// that no other run's folder is ever reused, and locked for the run, so that a later run can
// tell it from one that a killed run left behind.
class WorkFolder {
 public:
  WorkFolder(FileSystem& fs, PathStyle style) : fs_(fs), style_(style), path_(Create()) {
    try {
      lock_ = std::make_unique<FolderLock>(path_);
    } catch (...) {
      fs_.RemoveFolder(path_);
      throw;
    }
  }
  ~WorkFolder() {
    if (lock_)
      Remove();
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  const std::string& Path() const { return path_; }

  // Removes the folder with anything a failed write may have left in it; false when it stays.
  bool Remove() {
    lock_->Remove();
    lock_.reset();
    return RemoveFolderWithFiles(fs_, path_, style_);
  }

 private:
  std::string Create() {
    const std::string temp = AddTrailingDelimiter(fs_.TempFolder(), style_);
    for (int attempt = 1;; ++attempt) {
      const std::string candidate = temp + kWorkFolderPrefix + MakeRunFolderName();
      try {
        fs_.CreatePrivateFolder(candidate);
        return candidate;
      } catch (const SystemError&) {
        if (attempt == kWorkFolderTries || !fs_.Exists(candidate))
          throw;
      }
    }
  }

  FileSystem& fs_;
  PathStyle style_;
  std::string path_;
  std::unique_ptr<FolderLock> lock_;
};

// Owns the scheduler for one run and makes sure no job outlives it.
class Run {
 public:
  Run(const ConvertRunOptions& options, FileSystem& fs, const std::string& workFolder,
      const std::atomic<bool>& interrupted)
      : options_(options),
        interrupted_(interrupted),
        sink_(fs, options.booksFolder, options.style),
        scheduler_(fs, handOver_, sink_,
                   {workFolder, options.style, options.filterIndex,
                    [this](const std::string& path) {
                      DecodeStopScope stop(interrupted_);
                      return DecodeImageFile(path);
                    },
                    FileSystem::Create::New, [this] { return converting_; },
                    [this](const std::string& path) { return pipeline_->Take(path); }}) {
    sink_.SetStopRequested([this] { return interrupted_.load(); });
  }

  ~Run() {
    try {
      StopJob();
      scheduler_.DeleteTempFiles();
    } catch (...) {
    }
  }

  // Queues every path, walking each folder once however many paths or links lead to it. A
  // path that names nothing, a file that is no accepted image, a folder that cannot be read
  // and a path that holds no image are reported: a drop ignores them silently, but here the
  // user typed them.
  size_t Queue(FileSystem& fs, std::vector<std::string>& ignored) {
    std::set<std::string> walked;
    WalkOptions walk;
    walk.walked = &walked;
    walk.unreadable = [&](const std::string&, const std::string& reason) {
      ignored.push_back(reason);
    };
    walk.stop = [this] { return interrupted_.load(); };
    size_t total = 0;
    for (const std::string& path : options_.paths) {
      const size_t complaints = ignored.size();
      const std::optional<std::string> folder = fs.FolderIdentity(path);
      const bool walkedBefore = folder && walked.count(*folder) != 0;
      const size_t added = scheduler_.AddPath(path, walk);
      total += added;
      const FileSystem::Kind kind = fs.KindOf(path);
      if (kind == FileSystem::Kind::Missing)
        ignored.push_back("ignored " + path + ": no such file or folder");
      else if (kind == FileSystem::Kind::File && added == 0)
        ignored.push_back("ignored " + path + ": not a .jpg, .jpeg, .png or .bmp file");
      else if (added == 0 && ignored.size() == complaints && !walkedBefore && !interrupted_)
        ignored.push_back("no images found under " + path);
    }
    return total;
  }

  // Converts until everything is built; false when interrupted first.
  bool Convert(ConvertReport& report, const std::atomic<bool>& interrupted) {
    scheduler_.SetObserver(&report);
    sink_.OnBookWritten([&report](const std::string& folder) { report.BookWritten(folder); });
    sink_.SetLostPages([&report] { return report.LostInOpenBook(); });
    // Nothing is added once the run converts, so the queue's order is the order the
    // scheduler will take the files in.
    pipeline_ = std::make_unique<PagePipeline>(
        scheduler_.Queue().Paths(),
        PipelineSettings{options_.jobs, options_.memoryBudget, options_.filterIndex}, interrupted_);
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
      handOver_.WaitAndRun(std::min(ticks.Poll(), kLongestWait));
    }
    return true;
  }

  void StopJob() {
    converting_ = false;
    scheduler_.StopJob();
    while (scheduler_.JobRunning())
      handOver_.WaitAndRun(kLongestWait);
  }

 private:
  const ConvertRunOptions& options_;
  const std::atomic<bool>& interrupted_;
  QueuedHandOver handOver_;
  bool converting_ = false;
  FolderBookSink sink_;
  QueueScheduler scheduler_;
  // Made once the files are queued; the scheduler asks it only while converting.
  std::unique_ptr<PagePipeline> pipeline_;
};

// Absolute and lexically normal, so that "." and ".." never become a book's title.
ConvertRunOptions Normalized(ConvertRunOptions options) {
  const std::string current = CurrentFolder();
  for (std::string& path : options.paths)
    path = NormalizePath(path, current, options.style);
  options.booksFolder = NormalizePath(options.booksFolder, current, options.style);
  return options;
}

// Queues and converts everything; the report is made as soon as the files are counted.
int ConvertAll(const ConvertRunOptions& options, FileSystem& fs, const std::string& workFolder,
               std::ostream& progress, const std::atomic<bool>& interrupted,
               std::unique_ptr<ConvertReport>& report) {
  Run run(options, fs, workFolder, interrupted);
  std::vector<std::string> ignored;
  const size_t total = run.Queue(fs, ignored);
  const ConvertReport::Display display{options.quiet ? nullptr : &progress,
                                       options.progressIsTerminal};
  report = std::make_unique<ConvertReport>(total, display, options.style);
  for (const std::string& line : ignored)
    report->AddProblem(line);
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
    RemoveStaleFolders(fs, fs.TempFolder(), kWorkFolderPrefix, options.style);
    RemoveStaleFolders(fs, options.booksFolder, FolderBookSink::kHiddenPrefix, options.style);
    workFolder = std::make_unique<WorkFolder>(fs, options.style);
  } catch (const std::exception& e) {
    progress << "tamsolo-cli: " << TerminalText(e.what()) << '\n';
    return kCliFatal;
  }

  int exitCode = kCliFatal;
  std::unique_ptr<ConvertReport> report;
  try {
    exitCode = ConvertAll(options, fs, workFolder->Path(), progress, interrupted, report);
  } catch (const std::exception& e) {
    if (report)
      report->EndProgress();
    progress << "tamsolo-cli: " << TerminalText(e.what()) << '\n';
  }
  if (!workFolder->Remove()) {
    progress << "tamsolo-cli: cannot remove the work folder \"" << TerminalText(workFolder->Path())
             << "\"\n";
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
