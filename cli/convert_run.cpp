#include "cli/convert_run.h"

#include <algorithm>
#include <memory>

#include "platform/current_folder.h"
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

// The private folder the pages wait in until their book is written; created exclusively so
// that no other run's folder is ever reused.
std::string CreateWorkFolder(FileSystem& fs, PathStyle style) {
  const std::string temp = AddTrailingDelimiter(fs.TempFolder(), style);
  for (int attempt = 1;; ++attempt) {
    const std::string candidate = temp + MakeRunFolderName();
    try {
      fs.CreateFolderExclusive(candidate);
      return candidate;
    } catch (const SystemError&) {
      if (attempt == kWorkFolderTries || fs.KindOf(candidate) == FileSystem::Kind::Missing)
        throw;
    }
  }
}

// Removes the work folder with anything a failed write may have left in it.
void RemoveWorkFolder(FileSystem& fs, const std::string& folder, PathStyle style) {
  if (const auto entries = fs.ListFolder(folder)) {
    for (const FileSystem::Entry& entry : *entries) {
      if (!entry.isFolder)
        fs.DeleteFile(AddTrailingDelimiter(folder, style) + entry.name);
    }
  }
  fs.RemoveFolder(folder);
}

// Owns the scheduler for one run and makes sure no job outlives it.
class Run {
 public:
  Run(const ConvertRunOptions& options, FileSystem& fs, const std::string& workFolder)
      : options_(options),
        sink_(fs, options.booksFolder, options.style),
        scheduler_(fs, handOver_, sink_,
                   {workFolder, options.style, options.filterIndex, QueueScheduler::Decoder()}) {}

  ~Run() {
    try {
      StopJob();
      scheduler_.DeleteTempFiles();
    } catch (...) {
    }
  }

  // Queues every path; a path that names nothing, or a file that is no accepted image, is
  // reported: a drop ignores it silently, but here the user typed it.
  size_t Queue(FileSystem& fs, std::vector<std::string>& ignored) {
    size_t total = 0;
    for (const std::string& path : options_.paths) {
      const size_t added = scheduler_.AddPath(path);
      total += added;
      const FileSystem::Kind kind = fs.KindOf(path);
      if (kind == FileSystem::Kind::Missing)
        ignored.push_back("ignored " + path + ": no such file or folder");
      else if (kind == FileSystem::Kind::File && added == 0)
        ignored.push_back("ignored " + path + ": not a .jpg, .jpeg, .png or .bmp file");
    }
    return total;
  }

  // Converts until everything is built; false when interrupted first.
  bool Convert(ConvertReport& report, const std::atomic<bool>& interrupted) {
    scheduler_.SetObserver(&report);
    sink_.OnBookWritten([&report](const std::string& folder) { report.BookWritten(folder); });
    scheduler_.SetConverting(true);
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
    scheduler_.StopJob();
    while (scheduler_.JobRunning())
      handOver_.WaitAndRun(kLongestWait);
  }

 private:
  const ConvertRunOptions& options_;
  QueuedHandOver handOver_;
  FolderBookSink sink_;
  QueueScheduler scheduler_;
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
  Run run(options, fs, workFolder);
  std::vector<std::string> ignored;
  const size_t total = run.Queue(fs, ignored);
  const ConvertReport::Display display{options.quiet ? nullptr : &progress,
                                       options.progressIsTerminal};
  report = std::make_unique<ConvertReport>(total, display, options.style);
  for (const std::string& line : ignored)
    report->AddProblem(line);
  const bool finished = run.Convert(*report, interrupted);
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
  std::string workFolder;
  try {
    options = Normalized(given);
    fs.CreateFolders(options.booksFolder);
    workFolder = CreateWorkFolder(fs, options.style);
  } catch (const std::exception& e) {
    progress << "tamsolo-cli: " << e.what() << '\n';
    return kCliFatal;
  }

  int exitCode = kCliFatal;
  std::unique_ptr<ConvertReport> report;
  try {
    exitCode = ConvertAll(options, fs, workFolder, progress, interrupted, report);
  } catch (const std::exception& e) {
    if (report)
      report->EndProgress();
    progress << "tamsolo-cli: " << e.what() << '\n';
  }
  try {
    RemoveWorkFolder(fs, workFolder, options.style);
  } catch (const std::exception& e) {
    progress << "tamsolo-cli: " << e.what() << '\n';
    if (exitCode == kCliOk)
      exitCode = kCliFatal;
  }
  if (report)
    report->WriteSummary(summary);
  return exitCode;
}

}  // namespace tamsolo
