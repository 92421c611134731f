#include <iostream>

#include "cli/command_table.h"
#include "cli/result_output.h"
#include "cli/stop_signals.h"

int main(int argc, char** argv) {
  using namespace tamsolo;
  StopSignals signals;  // before any other thread starts
  const std::vector<std::string> args(argv + 1, argv + argc);
  ResultOutput output(stdout);
  std::ostream out(&output);
  const int status = RunCommandLine(TamsoloCommands(), args, out, std::cerr);
  return signals.Finish(
      FinishResults(out, output, std::cerr, status, PrintsTheResult(TamsoloCommands(), args)));
}
