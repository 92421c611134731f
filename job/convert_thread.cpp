#include "job/convert_thread.h"

#include "page/page_fill.h"
#include "page/page_layout.h"
#include "resample/resampler.h"
#include "page/scaled_width.h"
#include "job/source_layout.h"
#include "platform/error.h"
#include "platform/x87_precision.h"

namespace tamsolo {
namespace {

FileSystem& NativeFiles() {
  static const std::unique_ptr<FileSystem> kNativeFiles = MakeNativeFileSystem();
  return *kNativeFiles;
}

}  // namespace

TConvertThread::TConvertThread(HandOver& handOver) : handOver_(handOver) {}

TConvertThread::~TConvertThread() {
  if (thread_.joinable())
    thread_.join();
  *alive_ = false;
}

void TConvertThread::Start() {
  if (thread_.joinable())
    throw Error("The conversion job has already been started");
  thread_ = std::thread([this] { Run(); });
}

void TConvertThread::RequestStop() {
  stopRequested_ = true;
}

// No exception leaves the thread: the end-of-job handler reads ErrorText instead. The handler
// is copied into the queued step so that it may destroy this object, and the step checks that
// the object still exists when the owner gets round to it.
void TConvertThread::Run() {
  {
    X87ExtendedPrecision precision;
    try {
      Execute();
    } catch (const std::exception& error) {
      errorText_ = *error.what() ? ReasonOf(error) : "Conversion failed";
    } catch (...) {
      errorText_ = "Conversion failed";
    }
  }
  handOver_.Queue([this, alive = alive_, finish = OnFinish] {
    if (*alive && finish)
      finish(*this);
  });
}

void TConvertThread::ThrowIfStopped() const {
  tamsolo::ThrowIfStopped(stopRequested_);
}

void TConvertThread::Execute() {
  if (prepared) {
    Replay();
    return;
  }
  if (!SourceImage || SourceImage->Empty())
    return;
  if (!PageBitmap)
    PageBitmap = std::make_unique<tamsolo::PageBitmap>();
  if (clean)
    CleanUpPage(*SourceImage, *clean, [this] { ThrowIfStopped(); });
  ThrowIfStopped();
  RgbImage scaled;
  ResampleScratch resample;
  const PageLayout layout =
      ScaleForPages(*SourceImage, FilterIndex, scaled, resample, stopRequested_);
  if (layout.count == 0)
    return;
  if (layout.count >= 2) {
    pageCount_ = layout.count;
    handOver_.Synchronize([this] { AnnouncePageCount(); });
  }
  PageImage page;
  for (int32_t v = 1; v <= layout.count; ++v) {
    ThrowIfStopped();
    PageFileName = PageFileNameFor(BaseName, layout.count, v);
    pageBytes_ = CutPageFile(scaled, layout, v, page, *PageBitmap);
    handOver_.Synchronize([this] { SavePage(); });
  }
}

// The steps Execute takes with the owner, in the same order, for pages made ahead.
void TConvertThread::Replay() {
  if (!prepared->errorText.empty())
    throw Error(prepared->errorText);
  if (prepared->count >= 2) {
    pageCount_ = prepared->count;
    handOver_.Synchronize([this] { AnnouncePageCount(); });
  }
  for (int32_t v = 1; v <= prepared->count; ++v) {
    ThrowIfStopped();
    PageFileName = PageFileNameFor(BaseName, prepared->count, v);
    pageBytes_ = prepared->TakePage(v);
    handOver_.Synchronize([this] { SavePage(); });
  }
}

void TConvertThread::AnnouncePageCount() {
  if (OnPageCount)
    OnPageCount(pageCount_);
}

// On the owning thread. A failed write or a failing OnPageSaved only ends that attempt, and
// the attempt takes away the file it made, so that the next one starts clean; a page that
// fails every attempt is given up and the job goes on with the next one.
void TConvertThread::SavePage() {
  const std::string name = OnNamePage ? OnNamePage(PageFileName) : PageFileName;
  const std::string path = OutputFolder + name;
  FileSystem& fileSystem = files ? *files : NativeFiles();
  const std::vector<uint8_t>& bytes = pageBytes_;
  std::string reason;
  for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
    bool written = false;
    try {
      WriteFileCleanly(fileSystem, path, bytes, pageCreate);
      written = true;
      if (OnPageSaved)
        OnPageSaved(OutputFolder, name);
      return;
    } catch (const std::exception& error) {
      reason = ReasonOf(error);
    } catch (...) {
      reason = "Conversion failed";
    }
    if (written)
      fileSystem.DeleteFile(path);
  }
  if (OnPageGivenUp)
    OnPageGivenUp(name, reason);
}

}  // namespace tamsolo
