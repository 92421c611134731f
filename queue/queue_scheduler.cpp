#include "queue/queue_scheduler.h"

#include <exception>

#include "decode/decoders.h"
#include "page/page_bitmap.h"
#include "page/page_image.h"
#include "job/job_recipe.h"
#include "platform/error.h"
#include "queue/input_collection.h"
#include "queue/book_key.h"
#include "queue/queue_texts.h"

namespace tamsolo {

QueueScheduler::QueueScheduler(FileSystem& fileSystem, HandOver& handOver, BookSink& sink,
                               Settings settings)
    : fs_(fileSystem),
      handOver_(handOver),
      sink_(sink),
      settings_(std::move(settings)),
      queue_(settings_.style, settings_.order) {
  queue_.SetOnAdded(
      [this](size_t index, const SourceRef& source) { Observer().FileQueued(index, source); });
  if (!settings_.decode) {
    settings_.decode = [limit = settings_.decodeMemoryLimit](const SourceRef& source) {
      return DecodeSource(source, limit, nullptr, InputSet::Extended);
    };
  }
}

// The owner stops and drains a running job (StopJob, then pumps the hand-over) before it
// destroys the scheduler; the job's destructor joins its thread.
QueueScheduler::~QueueScheduler() = default;

size_t QueueScheduler::AddPath(const std::string& path, const WalkOptions& options) {
  const size_t added = tamsolo::AddPath(fs_, queue_, path, options);
  if (added > 0)
    Observer().RemainChanged(queue_.Count());
  return added;
}

void QueueScheduler::MainTimerTimer() {
  if (Converting())
    ProcessNext();
}

void QueueScheduler::ProcessNext() {
  if (!convThread_ && !queue_.Empty()) {
    StartNext();
  } else if (!convThread_ && queue_.Empty() && !currentBook_.empty()) {
    CloseBook();  // the queue ran dry: the last book is finished
  }
}

std::string QueueScheduler::WorkFolderPrefix() const {
  return AddTrailingDelimiter(settings_.workFolder, settings_.style);
}

void QueueScheduler::StartNext() {
  const SourceRef source = queue_.TakeFirst();
  Observer().FirstFileTaken();
  Observer().RemainChanged(queue_.Count());
  BookSource book = BookSourceOf(source, settings_.style);
  if ((book.key != currentBook_ || book.archive != currentArchive_) && !currentBook_.empty())
    CloseBook();
  currentBook_ = std::move(book.key);
  currentArchive_ = std::move(book.archive);
  jobPath_ = source.path;
  jobClean_.reset();
  jobPages_ = 0;
  jobIsSpread_ = false;
  jobPageCount_ = 1;
  jobNextPage_ = 1;
  std::unique_ptr<TConvertThread> job = MakeJob(source);
  Observer().ConvertingFileChanged(ItemText(source, settings_.style));
  StartJob(std::move(job), source);
}

std::unique_ptr<TConvertThread> QueueScheduler::MakeJob(const SourceRef& source) {
  JobRecipe recipe;
  recipe.outputFolder = WorkFolderPrefix();
  recipe.baseName = PageBaseName(source, settings_.style);
  recipe.filterIndex = settings_.filterIndex;
  recipe.clean = settings_.clean;
  recipe.onPageSaved = [this](const std::string& folder, const std::string& name) {
    PageSaved(folder, name);
  };
  recipe.onPageCount = [this](int32_t count) { KeepSpreadParity(count); };
  recipe.onNamePage = [this](const std::string& name) { return book_.FreePageName(name); };
  recipe.onPageGivenUp = [this](const std::string& name, const std::string& reason) {
    PageGivenUp(name, reason);
  };
  recipe.files = &fs_;
  recipe.pageCreate = settings_.pageCreate;
  recipe.onFinish = [this](TConvertThread& finished) { ConvThreadFinish(finished); };
  return tamsolo::MakeJob(handOver_, std::move(recipe));
}

void QueueScheduler::StartJob(std::unique_ptr<TConvertThread> job, const SourceRef& source) {
  try {
    fs_.CreateFolders(job->OutputFolder);
    if (settings_.prepare) {
      job->prepared = std::make_unique<PreparedPages>(settings_.prepare(source));
      jobClean_ = job->prepared->clean;
      convThread_ = std::move(job);
      convThread_->Start();
      return;
    }
    RgbImage image = settings_.decode(source);
    convThread_ = std::move(job);
    tamsolo::StartJob(*convThread_, std::move(image));
  } catch (...) {
    // The job is abandoned unstarted: no end-of-job handler, the file is not queued again,
    // and the label keeps its text until the next job replaces it.
    const std::exception_ptr error = std::current_exception();
    if (convThread_)
      job = std::move(convThread_);
    job->SourceImage.reset();
    job->PageBitmap.reset();
    job->prepared.reset();
    job.reset();
    Observer().FileRejected(source.path, MessageOf(error));
  }
}

void QueueScheduler::CloseBook() {
  BuildBook();
  book_.ResetCounters();
  currentBook_.clear();
  currentArchive_.clear();
}

// The sink sees the book; whatever it does, the page files go and PageList is emptied.
void QueueScheduler::BuildBook() {
  std::string error;
  try {
    sink_.BuildBookWithOrigins(currentBook_, book_.PageList(), book_.Origins(),
                               settings_.workFolder);
  } catch (...) {
    error = MessageOf(std::current_exception());
  }
  const std::vector<std::string> built = book_.PageList();
  DeleteTempFiles();
  book_.ClearPages();
  Observer().PagesChanged();
  Observer().BookFinished(currentBook_, built, book_.BlanksInBook(), error);
}

void QueueScheduler::ConvThreadFinish(TConvertThread& job) {
  Observer().ConvertingFileChanged("");
  job.SourceImage.reset();
  job.PageBitmap.reset();
  job.prepared.reset();
  Observer().FileConverted(jobPath_, jobPages_, job.ErrorText());
  if (convThread_.get() == &job) {
    finishedJob_ = std::move(convThread_);
  }
  if (Converting())
    ProcessNext();
}

void QueueScheduler::StopJob() {
  if (convThread_)
    convThread_->RequestStop();
}

void QueueScheduler::PageSaved(const std::string& folder, const std::string& name) {
  tempFileList_.push_back(folder + name);
  book_.AddPage(name, {jobPath_, jobNextPage_++, jobPageCount_, currentArchive_, jobClean_});
  ++jobPages_;
  Observer().PagesChanged();
}

void QueueScheduler::KeepSpreadParity(int32_t count) {
  book_.KeepSpreadParity(count, [this](const std::string& name, int32_t position) {
    AddBlankPage(WorkFolderPrefix(), name, position);
  });
  jobIsSpread_ = true;
  jobPageCount_ = count;
  Observer().PagesChanged();
}

void QueueScheduler::AddBlankPage(const std::string& folder, const std::string& name,
                                  int32_t position) {
  book_.CheckBlankPosition(position);
  WriteFileCleanly(fs_, folder + name, MakeWhitePage().FileBytes(), settings_.pageCreate);
  tempFileList_.push_back(folder + name);
  book_.InsertBlank(name, position);
}

// SpreadEnd was set for all pages of the image; a page given up never arrives, so it must
// come down by one or a later blank would land beyond this image's pages (or beyond the
// end of PageList). A single-page image never moved SpreadEnd and leaves it alone.
void QueueScheduler::PageGivenUp(const std::string& name, const std::string& reason) {
  ++jobNextPage_;
  if (jobIsSpread_)
    book_.ShortenSpread();
  Observer().PageGivenUp(jobPath_, name, reason);
}

void QueueScheduler::DeleteTempFiles() {
  for (const std::string& path : tempFileList_)
    fs_.DeleteFile(path);  // a file that cannot be deleted stays behind
  tempFileList_.clear();
}

}  // namespace tamsolo
