#include "job/page_pipeline.h"

#include <algorithm>

#include "decode/decoders.h"
#include "platform/error.h"
#include "platform/hand_over.h"
#include "platform/x87_precision.h"

namespace tamsolo {

// The stop flag is set where no one can notify this condition, so waits look at it now and
// then.
template <typename Predicate>
void PagePipeline::WaitUntil(std::unique_lock<std::mutex>& lock, Predicate predicate) {
  while (!predicate())
    changed_.wait_for(lock, kInterruptPoll);
}

// A quarter of the budget is kept for the buffers the workers reuse from file to file (the
// decoded raster, the intermediate and the scaled image); a worker that needed more for one
// file gives them up afterwards.
PagePipeline::PagePipeline(std::vector<SourceRef> sources, PipelineSettings settings,
                           const std::atomic<bool>& stop)
    : sources_(std::move(sources)), settings_(settings), stop_(stop), slots_(sources_.size()) {
  const uint64_t jobs = static_cast<uint64_t>(std::max(1, settings_.jobs));
  retainLimit_ = settings_.memoryBudget / 4 / jobs;
  filesBudget_ = settings_.memoryBudget - retainLimit_ * jobs;
  // One share more than there are workers: with a share each for jobs files being decoded
  // the budget would be full, and a worker done with a file could start no other until the
  // run had taken that file's pages, which it does only after writing the file before.
  decodeCharge_ = std::min(filesBudget_ / (jobs + 1), settings_.decodeMemoryLimit);
  if (settings_.jobs <= 1) {
    recycler_.emplace(retainLimit_ / 2);
    return;
  }
  const size_t count = std::min(sources_.size(), static_cast<size_t>(settings_.jobs));
  try {
    for (size_t i = 0; i < count; ++i)
      workers_.emplace_back([this] { Work(); });
  } catch (...) {
    Close();
    throw;
  }
}

PagePipeline::~PagePipeline() {
  Close();
}

// A worker in the middle of a file finishes it first; after a stop that is soon.
void PagePipeline::Close() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) {
    if (worker.joinable())
      worker.join();
  }
}

PreparedPages PagePipeline::Take(const SourceRef& source, DecodeNotes* notes) {
  std::unique_lock lock(mutex_);
  const size_t index = nextToTake_;
  if (index >= sources_.size() || sources_[index].path != source.path ||
      sources_[index].archive != source.archive || sources_[index].entry != source.entry) {
    lock.unlock();
    DecodeStopScope scope(stop_);
    return Prepare(DecodeSource(source, settings_.decodeMemoryLimit, notes, settings_.inputs),
                   scratch_);
  }
  if (workers_.empty()) {
    lock.unlock();
    Make(index, scratch_);
    lock.lock();
  }
  // After a stop the workers start nothing more; a file they never began gives no image.
  WaitUntil(lock, [&] { return slots_[index].done || (stop_ && index >= nextToStart_); });
  if (!slots_[index].done)
    throw Error(kDecodeStoppedText);
  Slot slot = std::move(slots_[index]);
  charged_ -= slot.charge;
  ++nextToTake_;
  lock.unlock();
  changed_.notify_all();
  if (slot.error)
    std::rethrow_exception(slot.error);
  if (notes)
    *notes = slot.notes;
  return std::move(slot.pages);
}

void PagePipeline::Work() {
  // ScaledWidth and the page arithmetic are defined in extended precision; threads start in
  // 53-bit mode on Windows.
  X87ExtendedPrecision precision;
  RasterRecycler recycler(retainLimit_ / 2);
  PageScratch scratch;
  std::unique_lock lock(mutex_);
  for (;;) {
    WaitUntil(lock, [&] {
      return closing_ || stop_ || nextToStart_ >= sources_.size() ||
             Fits(nextToStart_, decodeCharge_);
    });
    if (closing_ || stop_ || nextToStart_ >= sources_.size())
      return;
    const size_t index = nextToStart_++;
    slots_[index].charge = decodeCharge_;
    charged_ += decodeCharge_;
    lock.unlock();
    Make(index, scratch);
    lock.lock();
  }
}

// On a worker, or on the taking thread when there are none (then nothing is counted).
void PagePipeline::Make(size_t index, PageScratch& scratch) {
  const bool shared = !workers_.empty();
  PreparedPages pages;
  DecodeNotes notes;
  std::exception_ptr error;
  try {
    RgbImage image = Decode(index, shared, notes);
    // The clean-up's two luma planes and the skew search's smaller copies stay within one more
    // image-sized buffer.
    const uint64_t imageBytes = image.ByteSize() * (settings_.clean ? 2 : 1);
    const uint64_t workBytes = PagesWorkBytes(image.Width(), image.Height());
    if (shared)
      Charge(index, imageBytes + workBytes);
    pages = Prepare(std::move(image), scratch);
    if (workBytes > retainLimit_ / 2)
      scratch = PageScratch();
  } catch (...) {
    error = std::current_exception();
  }
  {
    std::lock_guard lock(mutex_);
    Slot& slot = slots_[index];
    const uint64_t held = pages.Bytes();
    if (shared) {
      charged_ = charged_ - slot.charge + held;
      slot.charge = held;
    }
    slot.pages = std::move(pages);
    slot.notes = notes;
    slot.error = error;
    slot.done = true;
  }
  changed_.notify_all();
}

// A worker first decodes within its share; a file that needs more is decoded again with
// the full limit once that fits, so every file meets the same limit as with one job.
RgbImage PagePipeline::Decode(size_t index, bool shared, DecodeNotes& notes) {
  const SourceRef& source = sources_[index];
  DecodeStopScope scope(stop_);
  const uint64_t limit = settings_.decodeMemoryLimit;
  const ByteBuffer entryBytes = EntryBytes(source);
  if (shared && decodeCharge_ < limit) {
    try {
      return DecodeSource(source, entryBytes, decodeCharge_, &notes, settings_.inputs);
    } catch (...) {
      if (stop_)
        throw;
    }
    notes = {};
    Charge(index, limit);
  }
  return DecodeSource(source, entryBytes, limit, &notes, settings_.inputs);
}

PreparedPages PagePipeline::Prepare(RgbImage image, PageScratch& scratch) {
  std::optional<CleanReport> report;
  if (settings_.clean) {
    report = CleanUpPage(image, *settings_.clean, [this] { ThrowIfStopped(stop_); });
  }
  PreparedPages pages = PreparePages(image, settings_.filterIndex, scratch, stop_);
  pages.clean = report;
  return pages;
}

void PagePipeline::Charge(size_t index, uint64_t bytes) {
  std::unique_lock lock(mutex_);
  WaitUntil(lock, [&] { return closing_ || stop_ || Fits(index, bytes); });
  Slot& slot = slots_[index];
  charged_ = charged_ - slot.charge + bytes;
  slot.charge = bytes;
}

bool PagePipeline::Fits(size_t index, uint64_t bytes) const {
  const uint64_t others = charged_ - (index < nextToStart_ ? slots_[index].charge : 0);
  return index == nextToTake_ || others + bytes <= filesBudget_;
}

}  // namespace tamsolo
