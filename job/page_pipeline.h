#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "clean/page_clean.h"
#include "decode/decoders.h"
#include "image/raster_recycler.h"
#include "job/prepared_pages.h"
#include "job/source_ref.h"
#include "resample/filters.h"

namespace tamsolo {

struct PipelineSettings {
  int jobs = 1;  // files worked on at once; 1 makes each file's pages only when asked for
  uint64_t memoryBudget = kDefaultMemoryBudget;
  int32_t filterIndex = kDefaultFilterIndex;
  uint64_t decodeMemoryLimit = kDefaultDecodeMemoryLimit;  // what decoding one file may use
  InputSet inputs = InputSet::Extended;                    // which decoder an extension chooses
  std::optional<CleanSteps> clean =
      std::nullopt;  // the clean-up each decoded image gets before scaling
};

// The command line's workers: they decode and convert the files of a run, in the order the
// run will ask for them, ahead of it, so that the one-job-at-a-time scheduler finds each
// file's pages ready. What the files hold in memory at once stays within the budget: a file
// starts only when its share fits (the file the run waits for always starts), and its share
// grows to what decoding revealed before it is scaled.
class PagePipeline {
 public:
  // sources: the images in the order Take will ask for them. stop ends the work early (an
  // interrupt); the results are then of no use.
  PagePipeline(std::vector<SourceRef> sources, PipelineSettings settings,
               const std::atomic<bool>& stop);
  ~PagePipeline();
  PagePipeline(const PagePipeline&) = delete;
  PagePipeline& operator=(const PagePipeline&) = delete;

  // The pages of source, waiting for them if need be. A source out of the announced order is
  // converted here and now. Throws what decoding threw (the file gives no image). notes,
  // when given, learns what the file's decode noticed.
  PreparedPages Take(const SourceRef& source, DecodeNotes* notes = nullptr);

 private:
  struct Slot {
    bool done = false;
    PreparedPages pages;
    DecodeNotes notes;
    std::exception_ptr error;
    uint64_t charge = 0;  // bytes counted against the budget for this file
  };

  void Close();
  void Work();
  template <typename Predicate>
  void WaitUntil(std::unique_lock<std::mutex>& lock, Predicate predicate);
  void Make(size_t index, PageScratch& scratch);
  RgbImage Decode(size_t index, bool shared, DecodeNotes& notes);
  // The clean-up, when asked for, then the pages.
  PreparedPages Prepare(RgbImage image, PageScratch& scratch);
  // Sets the file's share to bytes, first waiting until it fits (or the file is the next
  // one asked for, which must never wait).
  void Charge(size_t index, uint64_t bytes);
  bool Fits(size_t index, uint64_t bytes) const;

  std::vector<SourceRef> sources_;
  PipelineSettings settings_;
  const std::atomic<bool>& stop_;
  uint64_t filesBudget_ = 0;   // the budget less what the workers keep between files
  uint64_t retainLimit_ = 0;   // the most one worker keeps between files, half of it a raster
  uint64_t decodeCharge_ = 0;  // a file's share while it is being decoded

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  size_t nextToStart_ = 0;
  size_t nextToTake_ = 0;
  uint64_t charged_ = 0;
  bool closing_ = false;
  PageScratch scratch_;                     // the taking thread's own, when there are no workers
  std::optional<RasterRecycler> recycler_;  // the same
  std::vector<std::thread> workers_;
};

}  // namespace tamsolo
