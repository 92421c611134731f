#include "cli/command_table.h"

#include "cli/convert_command.h"
#include "cli/plan_command.h"
#include "cli/preview_command.h"

namespace tamsolo {

std::span<const CliCommand> TamsoloCommands() {
  static const CliCommand kCommands[] = {
      {"pages",
       "pages FILE... -o DIR [--filter NAME|INDEX] [--memory-limit MIB] [--natural-order] "
       "[--no-archives] [--jobs N] [--memory SIZE] [--clean[=STEPS]]",
       RunPagesCommand},
      {"decode", "decode FILE -o OUT.ppm [--memory-limit MIB]", RunDecodeCommand},
      {"convert", kConvertUsageLine, RunConvertCommand},
      {"plan", kPlanUsageLine, RunPlanCommand, true},
      {"preview", kPreviewUsageLine, RunPreviewCommand},
  };
  return kCommands;
}

}  // namespace tamsolo
