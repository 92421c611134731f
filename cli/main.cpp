#include <iostream>

#include "cli/commands.h"
#include "cli/convert_command.h"
#include "cli/result_output.h"
#include "cli/stop_signals.h"

int main(int argc, char** argv) {
  using namespace tamsolo;
  StopSignals signals;  // before any other thread starts
  static const CliCommand kCommands[] = {
      {"pages", "pages FILE... -o DIR [--filter NAME|INDEX] [--jobs N] [--memory SIZE]",
       RunPagesCommand},
      {"decode", "decode FILE -o OUT.ppm", RunDecodeCommand},
      {"convert", kConvertUsageLine, RunConvertCommand},
  };
  const std::vector<std::string> args(argv + 1, argv + argc);
  ResultOutput output(stdout);
  std::ostream out(&output);
  const int status = RunCommandLine(kCommands, args, out, std::cerr);
  return signals.Finish(FinishResults(out, output, std::cerr, status));
}
