#include <algorithm>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "job/page_pipeline.h"
#include "cli/output_folder.h"
#include "cli/stop_signals.h"
#include "platform/control_bytes.h"
#include "cli/warnings.h"
#include "job/job_recipe.h"
#include "job/page_names.h"
#include "decode/decoders.h"
#include "page/scaled_width.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/hand_over.h"
#include "platform/name_fit.h"
#include "platform/paths.h"
#include "queue/path_order.h"

namespace tamsolo {
namespace {

struct FileResult {
  std::vector<std::string> written;
  std::vector<std::string> notes;
  std::string failure;  // why the file gave no page, or why its job ended early
};

std::string NoPageReason(int width, int height) {
  if (width == 0 || height == 0)
    return "empty image";
  return "too narrow: " + std::to_string(width) + " x " + std::to_string(height) + " scales to " +
         std::to_string(ScaledWidth(width, height)) + " columns, under half a page";
}

std::vector<SourceRef> FileSources(const std::vector<std::string>& paths) {
  std::vector<SourceRef> sources;
  for (const std::string& path : paths)
    sources.push_back(SourceRef::File(path));
  return sources;
}

// Runs the real conversion job for each file, pumping its hand-over on this thread.
class PagesRun {
 public:
  // The run's page names: like the file system, Windows ignores letter case and POSIX not;
  // a name something in the folder has already is never used, nor one too long for it.
  PagesRun(std::string folder, int32_t filterIndex, uint64_t memoryLimit, PathStyle style,
           FileSystem& files, std::vector<std::string> paths, const ParallelOptions& parallel,
           InputSet inputs, std::optional<CleanSteps> clean)
      : pipeline_(FileSources(paths),
                  PipelineSettings{parallel.jobs, parallel.memoryBudget, filterIndex, memoryLimit,
                                   inputs, clean},
                  StopRequested()),
        folder_(std::move(folder)),
        filterIndex_(filterIndex),
        style_(style),
        files_(files),
        names_(
            style,
            style == PathStyle::Windows ? PageNames::Folding::AsciiCase : PageNames::Folding::None,
            [this](const std::string& name) {
              return files_.Exists(AddTrailingDelimiter(folder_, style_) + name);
            },
            NameRoom(AddTrailingDelimiter(folder_, style_).size(), style_)) {}

  FileResult Convert(const std::string& path) {
    FileResult result;
    PreparedPages pages;
    DecodeNotes notes;
    try {
      pages = pipeline_.Take(SourceRef::File(path), &notes);
    } catch (const std::exception& error) {
      result.failure = ReasonOf(error);
      return result;
    }
    const int width = pages.sourceWidth;
    const int height = pages.sourceHeight;
    RunJob(path, std::move(pages), result);
    if (result.written.empty() && result.failure.empty())
      result.failure = result.notes.empty() ? NoPageReason(width, height) : "no page written";
    if (notes.dataEndedEarly)
      result.notes.insert(result.notes.begin(), kDataEndedEarlyText);
    return result;
  }

 private:
  void RunJob(const std::string& path, PreparedPages pages, FileResult& result) {
    JobRecipe recipe;
    recipe.baseName = BaseNameOf(path, style_);
    recipe.outputFolder = AddTrailingDelimiter(folder_, style_);
    recipe.filterIndex = filterIndex_;
    recipe.files = &files_;
    recipe.pageCreate = FileSystem::Create::New;
    std::string asked;
    recipe.onNamePage = [&](const std::string& name) {
      asked = name;
      return names_.FreeName(name);
    };
    recipe.onPageSaved = [&](const std::string&, const std::string& name) {
      names_.Take(name);
      result.written.push_back(name);
      if (name != asked)
        result.notes.push_back(asked + " exists already, this page is " + name);
    };
    recipe.onPageGivenUp = [&](const std::string& name, const std::string& reason) {
      result.notes.push_back(name + " could not be written: " + reason);
    };
    bool finished = false;
    recipe.onFinish = [&](TConvertThread& self) {
      result.failure = self.ErrorText();
      finished = true;
    };
    const std::unique_ptr<TConvertThread> job = MakeJob(handOver_, std::move(recipe));
    job->prepared = std::make_unique<PreparedPages>(std::move(pages));
    job->Start();
    while (!finished) {
      if (StopRequested())
        job->RequestStop();
      handOver_.WaitAndRun(kInterruptPoll);
    }
  }

  PagePipeline pipeline_;    // makes the pages of upcoming files ahead
  QueuedHandOver handOver_;  // owned by this thread, which runs the job's steps
  std::string folder_;
  int32_t filterIndex_;
  PathStyle style_;
  FileSystem& files_;
  PageNames names_;
};

void PrintResult(std::ostream& out, const std::string& path, const FileResult& result) {
  std::string line = path + ": ";
  if (result.written.empty()) {
    line += "no page: " + result.failure;
  } else {
    line += std::to_string(result.written.size()) +
            (result.written.size() == 1 ? " page: " : " pages: ");
    for (size_t i = 0; i < result.written.size(); ++i)
      line += (i ? ", " : "") + result.written[i];
    if (!result.failure.empty())
      line += "; ended early: " + result.failure;
  }
  for (const std::string& note : result.notes)
    line += "; " + note;
  out << EscapeControlBytes(line) << "\n";
}

// The files as given, or with --natural-order sorted with numbers by value (which file of a
// shared name gets "_2" follows this order).
std::vector<std::string> InputOrder(const ParsedOptions& options, PathStyle style) {
  std::vector<std::string> paths = options.positional;
  if (options.Has("--natural-order")) {
    std::stable_sort(paths.begin(), paths.end(),
                     [style](const std::string& a, const std::string& b) {
                       return QueueLess(FoldAsciiCase(a, style), a, FoldAsciiCase(b, style), b,
                                        QueueOrder::Natural);
                     });
  }
  return paths;
}

}  // namespace

int RunPagesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParsedOptions options = ParseOptions(args, {{"-o", true},
                                                    {"--filter", true},
                                                    {"--memory-limit", true},
                                                    {"--natural-order", false},
                                                    {"--jobs", true},
                                                    {"--memory", true},
                                                    {"--no-archives", false},
                                                    {"--clean", false, IsCleanStepList}});
  const ParallelOptions parallel = ParallelOptionsOf(options);
  const PathStyle style = NativePathStyle();
  const std::string folder = UnifyDelimiters(options.Required("-o"), style);
  const int32_t filterIndex = FilterIndexOption(options);
  const uint64_t memoryLimit = MemoryLimitOption(options);
  if (options.positional.empty())
    throw UsageError("no input file");
  if (folder.empty())
    throw UsageError("-o needs a folder");
  const std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
  try {
    PrepareOutputFolder(folder, *files, style);
  } catch (const std::exception& error) {
    err << "tamsolo-cli: cannot write pages into \"" << EscapeControlBytes(options.Required("-o"))
        << "\": " << EscapeControlBytes(ReasonOf(error)) << "\n";
    return kCliFatal;
  }
  // The workers take the files in the order they are converted below.
  const std::vector<std::string> order = InputOrder(options, style);
  std::vector<std::string> paths;
  for (const std::string& path : order)
    paths.push_back(UnifyDelimiters(path, style));
  PagesRun run(folder, filterIndex, memoryLimit, style, *files, paths, parallel,
               InputSetOption(options), CleanOption(options));
  bool everyFileGavePages = true;
  for (const std::string& path : order) {
    if (StopRequested())
      return kCliInterrupted;
    const FileResult result = run.Convert(UnifyDelimiters(path, style));
    PrintResult(out, path, result);
    out.flush();
    everyFileGavePages = everyFileGavePages && !result.written.empty();
  }
  return everyFileGavePages ? kCliOk : kCliPartial;
}

}  // namespace tamsolo
