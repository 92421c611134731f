#include "job/job_recipe.h"

#include <utility>

namespace tamsolo {

std::unique_ptr<TConvertThread> MakeJob(HandOver& handOver, JobRecipe recipe) {
  auto job = std::make_unique<TConvertThread>(handOver);
  job->PageBitmap = std::make_unique<PageBitmap>();
  job->OutputFolder = std::move(recipe.outputFolder);
  job->BaseName = std::move(recipe.baseName);
  job->FilterIndex = recipe.filterIndex;
  job->clean = recipe.clean;
  job->files = recipe.files;
  job->pageCreate = recipe.pageCreate;
  job->OnPageSaved = std::move(recipe.onPageSaved);
  job->OnPageCount = std::move(recipe.onPageCount);
  job->OnNamePage = std::move(recipe.onNamePage);
  job->OnPageGivenUp = std::move(recipe.onPageGivenUp);
  job->OnFinish = std::move(recipe.onFinish);
  return job;
}

void StartJob(TConvertThread& job, RgbImage source) {
  job.SourceImage = std::make_unique<RgbImage>(std::move(source));
  job.Start();
}

}  // namespace tamsolo
