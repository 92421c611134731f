#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "image/rgb_image.h"
#include "job/convert_thread.h"
#include "platform/hand_over.h"
#include "resample/filters.h"

namespace tamsolo {

// Everything an owner decides about a job besides its image: where and under which names the
// pages go, the filter, and the handlers that see the pages and the end.
struct JobRecipe {
  std::string outputFolder;  // with its trailing delimiter
  std::string baseName;
  int32_t filterIndex = kDefaultFilterIndex;
  std::optional<CleanSteps> clean;  // the clean-up before scaling; none when unset
  FileSystem* files = nullptr;      // the native file system when unset
  FileSystem::Create pageCreate = FileSystem::Create::Replace;
  TConvertThread::PageSavedHandler onPageSaved;
  TConvertThread::PageCountHandler onPageCount;
  TConvertThread::PageNameHook onNamePage;
  TConvertThread::PageGivenUpHandler onPageGivenUp;
  TConvertThread::FinishHandler onFinish;
};

// A suspended job with the recipe's fields and a fresh PageBitmap; the owner may still do
// work of its own (decoding, a label) before starting it.
std::unique_ptr<TConvertThread> MakeJob(HandOver& handOver, JobRecipe recipe);

// Gives the job its source image and starts it.
void StartJob(TConvertThread& job, RgbImage source);

}  // namespace tamsolo
