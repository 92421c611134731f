#include "cli/convert_command.h"

#include <unistd.h>

#include <iostream>

#include "cli/options.h"
#include "platform/file_system.h"
#include "cli/convert_run.h"
#include "cli/stop_signals.h"

namespace tamsolo {

int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParsedOptions parsed = ParseOptions(args, {{"-o", true},
                                                   {"--filter", true},
                                                   {"--memory-limit", true},
                                                   {"--quiet", false},
                                                   {"--natural-order", false},
                                                   {"--preview", false},
                                                   {"--jobs", true},
                                                   {"--memory", true},
                                                   {"--no-archives", false},
                                                   {"--clean", false, IsCleanStepList}});
  ConvertRunOptions options;
  options.paths = parsed.positional;
  if (options.paths.empty())
    throw UsageError("no PATH given");
  options.booksFolder = parsed.Required("-o");
  if (options.booksFolder.empty())
    throw UsageError("-o needs a folder");
  options.filterIndex = FilterIndexOption(parsed);
  options.memoryLimit = MemoryLimitOption(parsed);
  options.quiet = parsed.Has("--quiet");
  if (parsed.Has("--natural-order"))
    options.order = QueueOrder::Natural;
  options.preview = parsed.Has("--preview");
  options.inputs = InputSetOption(parsed);
  options.clean = CleanOption(parsed);
  const ParallelOptions parallel = ParallelOptionsOf(parsed);
  options.jobs = parallel.jobs;
  options.memoryBudget = parallel.memoryBudget;
  // The bar redraws its line in place, which only makes sense on a terminal.
  options.progressIsTerminal = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  return RunConvert(options, *fs, out, err, StopRequested());
}

}  // namespace tamsolo
