#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "job/source_layout.h"
#include "page/page_bitmap.h"
#include "page/page_image.h"
#include "image/rgb_image.h"
#include "clean/page_clean.h"
#include "job/prepared_pages.h"
#include "platform/file_system.h"
#include "platform/hand_over.h"
#include "resample/filters.h"

namespace tamsolo {

// How often a page write is tried before the page is given up.
inline constexpr int kWriteAttempts = 10;

// One page conversion job: scales SourceImage to 1008 rows, cuts it into 768-column pages
// from right to left, maps them to 16 grays and hands each page to the owning thread, which
// writes it. The job runs on a thread of its own and reaches the owner only through the
// hand-over (AnnouncePageCount, SavePage and, at the end, the end-of-job handler).
//
// Lifetime: created suspended; the owner sets the fields, then calls Start. The end-of-job
// handler runs on the owning thread; the owner destroys the object after it, and the
// destructor joins the worker (which has nothing left to do by then). The owner must keep
// pumping its hand-over until the end-of-job handler has run: a job blocked in a hand-over
// cannot end, so destroying it earlier would wait for ever. A job destroyed after it ended
// but before its queued end-of-job step ran has that step do nothing.
class TConvertThread {
 public:
  using PageSavedHandler = std::function<void(const std::string& folder, const std::string& name)>;
  using PageCountHandler = std::function<void(int32_t count)>;
  using PageNameHook = std::function<std::string(const std::string& name)>;
  using PageGivenUpHandler =
      std::function<void(const std::string& name, const std::string& reason)>;
  using FinishHandler = std::function<void(TConvertThread& job)>;

  explicit TConvertThread(HandOver& handOver);
  ~TConvertThread();
  TConvertThread(const TConvertThread&) = delete;
  TConvertThread& operator=(const TConvertThread&) = delete;

  // Set by the owner before Start. SourceImage and PageBitmap are created and released by
  // the owner (the scheduler's end-of-job handler releases them).
  std::unique_ptr<RgbImage> SourceImage;
  std::unique_ptr<tamsolo::PageBitmap> PageBitmap;
  // Pages made ahead (the command line's workers make them): when set, the job computes
  // nothing and only announces the count and hands each page over to be written, as it
  // would have; SourceImage is then not needed.
  std::unique_ptr<PreparedPages> prepared;
  std::string BaseName;
  std::string OutputFolder;  // with its trailing delimiter
  // Where the pages are written (the native file system when unset) and how: the command
  // line creates every file new, so that nothing that exists is ever replaced.
  FileSystem* files = nullptr;
  FileSystem::Create pageCreate = FileSystem::Create::Replace;
  int32_t FilterIndex = kDefaultFilterIndex;
  // The clean-up SourceImage gets on the job's thread before it is scaled; none when unset.
  std::optional<CleanSteps> clean;
  PageSavedHandler OnPageSaved;
  PageCountHandler OnPageCount;
  // Asked on the owning thread before each write for the file name to use; unset keeps it.
  PageNameHook OnNamePage;
  // Told on the owning thread when a page is given up after every write attempt failed, with
  // the last attempt's reason.
  PageGivenUpHandler OnPageGivenUp;
  // The end-of-job handler, on the owning thread, after a normal end, an error or a stop.
  FinishHandler OnFinish;

  void Start();
  // Asks the job to end before its next page; it then ends as after an error.
  void RequestStop();

  // Read in the end-of-job handler: why the job ended early, empty after a normal end.
  const std::string& ErrorText() const { return errorText_; }
  int32_t PageCount() const { return pageCount_; }

 private:
  void Run();
  void Execute();
  void Replay();
  void AnnouncePageCount();
  void SavePage();
  void ThrowIfStopped() const;

  HandOver& handOver_;
  std::thread thread_;
  std::atomic<bool> stopRequested_{false};
  std::string PageFileName;
  std::vector<uint8_t> pageBytes_;  // the file bytes of the page being handed over
  int32_t pageCount_ = 0;
  std::string errorText_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // read only on the owner
};

}  // namespace tamsolo
