#include "cli/plan_command.h"

#include "book/book_plan.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "cli/plan_output.h"
#include "cli/stop_signals.h"
#include "platform/current_folder.h"
#include "platform/path_normal.h"

namespace tamsolo {

int RunPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
  const ParsedOptions parsed = ParseOptions(args, {{"--json", false},
                                                   {"--natural-order", false},
                                                   {"--no-archives", false},
                                                   {"--memory-limit", true}});
  if (parsed.positional.empty())
    throw UsageError("no PATH given");
  PlanOptions options;
  if (parsed.Has("--natural-order"))
    options.order = QueueOrder::Natural;
  options.memoryLimit = MemoryLimitOption(parsed);
  options.inputs = InputSetOption(parsed);
  // As convert takes them, so that "." and ".." never become a book's title.
  const std::string current = CurrentFolder();
  for (const std::string& path : parsed.positional)
    options.paths.push_back(ResolveParentSteps(NormalizePath(path, current, options.style)));
  options.stop = [] { return StopRequested().load(); };
  const BookPlan plan = MakeBookPlan(options, *MakeNativeFileSystem());
  if (plan.stopped)
    return kCliInterrupted;  // nothing half-made is printed
  if (parsed.Has("--json"))
    WritePlanJson(plan, options.style, out);
  else
    WritePlanText(plan, options.style, out);
  return plan.noPages.empty() && plan.ignored.empty() ? kCliOk : kCliPartial;
}

}  // namespace tamsolo
