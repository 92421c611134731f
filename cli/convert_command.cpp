#include "cli/convert_command.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iostream>

#include "cli/options.h"
#include "platform/file_system.h"
#include "cli/convert_run.h"

namespace tamsolo {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnInterrupt(int) {
  interrupted = true;
}

// Ctrl-C only raises the flag; the run notices it, stops its job and cleans up.
class InterruptGuard {
 public:
  InterruptGuard() : previous_(std::signal(SIGINT, OnInterrupt)) { interrupted = false; }
  ~InterruptGuard() { std::signal(SIGINT, previous_); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  void (*previous_)(int);
};

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParsedOptions parsed =
      ParseOptions(args, {{"-o", true}, {"--filter", true}, {"--quiet", false}});
  ConvertRunOptions options;
  options.paths = parsed.positional;
  if (options.paths.empty())
    throw UsageError("no PATH given");
  options.booksFolder = parsed.Required("-o");
  if (options.booksFolder.empty())
    throw UsageError("-o needs a folder");
  options.filterIndex = FilterIndexOption(parsed);
  options.quiet = parsed.Has("--quiet");
  // The bar redraws its line in place, which only makes sense on a terminal.
  options.progressIsTerminal = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
  InterruptGuard guard;
  std::unique_ptr<FileSystem> fs = MakeNativeFileSystem();
  return RunConvert(options, *fs, out, err, interrupted);
}

}  // namespace tamsolo
