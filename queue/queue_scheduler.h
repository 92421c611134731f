#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clean/page_clean.h"
#include "decode/decode_limits.h"
#include "job/convert_thread.h"
#include "job/page_names.h"
#include "image/rgb_image.h"
#include "platform/file_system.h"
#include "platform/hand_over.h"
#include "queue/book_pages.h"
#include "queue/book_sink.h"
#include "queue/file_queue.h"
#include "queue/input_collection.h"

namespace tamsolo {

// What the window (or the command line's progress display) learns from the scheduler. All
// calls come on the owning thread.
class SchedulerObserver {
 public:
  virtual ~SchedulerObserver() = default;
  // The converting file's item text changed; empty when no file is being converted.
  virtual void ConvertingFileChanged(const std::string& /*itemText*/) {}
  // The number of queued files changed.
  virtual void RemainChanged(size_t /*count*/) {}
  // A file entered the queue at index (its place in FileQueue order).
  virtual void FileQueued(size_t /*index*/, const SourceRef& /*source*/) {}
  // Item 0 left the queue: its file is being taken for conversion.
  virtual void FirstFileTaken() {}
  // A page or a blank page was recorded, or the page lists changed otherwise.
  virtual void PagesChanged() {}
  // A file could not be decoded or its job could not start; it gives no page.
  virtual void FileRejected(const std::string& /*path*/, const std::string& /*reason*/) {}
  // A file's job ended; errorText is empty after a normal end.
  virtual void FileConverted(const std::string& /*path*/, int /*pagesRecorded*/,
                             const std::string& /*errorText*/) {}
  // A page was given up after every write attempt failed.
  virtual void PageGivenUp(const std::string& /*path*/, const std::string& /*pageName*/,
                           const std::string& /*reason*/) {}
  // A book went through the sink; error is empty when the sink returned normally.
  virtual void BookFinished(const std::string& /*currentBook*/,
                            const std::vector<std::string>& /*pageList*/, int /*blankPages*/,
                            const std::string& /*error*/) {}
};

// The queue scheduler: takes queued files one at a time, runs one TConvertThread for each,
// collects the pages of one book (the run of consecutive files with the same parent folder
// name) in PageList, keeps spreads paired with blank pages, hands each finished book to the
// sink and deletes its page files. Everything runs on the owning thread; the job reaches it
// only through the hand-over.
class QueueScheduler {
 public:
  using Decoder = std::function<RgbImage(const SourceRef& source)>;
  // Makes a file's pages ahead of its job; throws, as a decoder does, for a file that gives
  // no image.
  using Preparer = std::function<PreparedPages(const SourceRef& source)>;

  struct Settings {
    std::string workFolder;  // without trailing delimiter
    PathStyle style = NativePathStyle();
    int32_t filterIndex = kDefaultFilterIndex;
    Decoder decode = {};  // DecodeSource with decodeMemoryLimit when unset
    // How page files are created; the command line creates them new, never replacing one.
    FileSystem::Create pageCreate = FileSystem::Create::Replace;
    // The convert/hold switch, read on every tick and at the end of every job, so that a
    // hold pressed while a job runs stops the next file. Unset holds.
    std::function<bool()> isConverting;
    // What decoding one image may use in all (the window keeps the decoders' default).
    uint64_t decodeMemoryLimit = kDefaultDecodeMemoryLimit;
    // The longest page file name; longer ones are shortened (the command line, see
    // PageNames). The window sets none.
    size_t pageNameRoom = std::numeric_limits<size_t>::max();
    QueueOrder order = QueueOrder::Bytes;
    // When set, it is asked instead of decode, and each job only hands its prepared pages
    // over: the command line converts upcoming files on other threads this way.
    Preparer prepare = {};
    // The clean-up each job gives its decoded image before scaling (the window's Clean=1);
    // prepared pages had theirs already.
    std::optional<CleanSteps> clean = std::nullopt;
  };

  QueueScheduler(FileSystem& fileSystem, HandOver& handOver, BookSink& sink, Settings settings);
  ~QueueScheduler();
  QueueScheduler(const QueueScheduler&) = delete;
  QueueScheduler& operator=(const QueueScheduler&) = delete;

  void SetObserver(SchedulerObserver* observer) { observer_ = observer; }

  // Input: queues a dropped path (a file or a whole folder); returns how many files.
  size_t AddPath(const std::string& path, const WalkOptions& options = {});

  // Whether the switch is on convert. Holding takes nothing from the queue and builds no
  // book; a running job still finishes its file.
  bool Converting() const { return settings_.isConverting && settings_.isConverting(); }

  // The 500 ms timer.
  void MainTimerTimer();
  void ProcessNext();

  // Asks a running job to end before its next page; its end still arrives as usual. The
  // switch is the owner's: it must answer hold from then on if no new file is to start.
  void StopJob();
  // Deletes the page files still listed; for shut-down.
  void DeleteTempFiles();

  bool JobRunning() const { return convThread_ != nullptr; }
  // Nothing queued, no job, no book open: everything dropped so far has been handled.
  bool Idle() const { return !convThread_ && queue_.Empty() && currentBook_.empty(); }

  const FileQueue& Queue() const { return queue_; }
  const std::string& CurrentBook() const { return currentBook_; }
  const std::vector<std::string>& PageList() const { return book_.PageList(); }
  // Beside PageList: which source file, or a blank, each page comes from.
  const std::vector<PageOrigin>& PageOrigins() const { return book_.Origins(); }
  const std::vector<std::string>& TempFileList() const { return tempFileList_; }
  int32_t SpreadEnd() const { return book_.SpreadEnd(); }
  int32_t PagesAdded() const { return book_.PagesAdded(); }
  int32_t BlankCount() const { return book_.BlankCount(); }
  const std::string& WorkFolder() const { return settings_.workFolder; }

 private:
  void StartNext();
  std::unique_ptr<TConvertThread> MakeJob(const SourceRef& source);
  void StartJob(std::unique_ptr<TConvertThread> job, const SourceRef& source);
  void BuildBook();
  void CloseBook();
  void ConvThreadFinish(TConvertThread& job);
  void PageSaved(const std::string& folder, const std::string& name);
  void KeepSpreadParity(int32_t count);
  void AddBlankPage(const std::string& folder, const std::string& name, int32_t position);
  void PageGivenUp(const std::string& name, const std::string& reason);
  // The work folder with its trailing delimiter: where page files are written.
  std::string WorkFolderPrefix() const;

  FileSystem& fs_;
  HandOver& handOver_;
  BookSink& sink_;
  Settings settings_;
  SchedulerObserver* observer_ = nullptr;
  SchedulerObserver silent_;
  SchedulerObserver& Observer() { return observer_ ? *observer_ : silent_; }

  FileQueue queue_;

  std::unique_ptr<TConvertThread> convThread_;
  // A finished job is kept until the next one ends: it cannot be destroyed from inside its
  // own end-of-job handler.
  std::unique_ptr<TConvertThread> finishedJob_;
  std::string jobPath_;
  std::optional<CleanReport> jobClean_;  // the prepared pages' clean-up, for their origins
  int jobPages_ = 0;
  bool jobIsSpread_ = false;
  int32_t jobPageCount_ = 1;  // n of the job's pages: 1 unless a count was announced
  int32_t jobNextPage_ = 1;   // v of the job's next page, saved or given up

  std::string currentBook_;
  std::string currentArchive_;  // the open book's archive; empty for one of files
  std::vector<std::string> tempFileList_;
  // A name something in the work folder already has (a file a failed delete left, a folder)
  // is taken too, so no write goes onto it.
  BookPages book_{settings_.style,
                  [this](const std::string& name) { return fs_.Exists(WorkFolderPrefix() + name); },
                  settings_.pageNameRoom};
};

}  // namespace tamsolo
