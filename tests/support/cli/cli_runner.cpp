#include "support/cli/cli_runner.h"

#include <sstream>

#include "cli/command_table.h"

namespace tamsolo::testing {

CliOutcome RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCommandLine(TamsoloCommands(), args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace tamsolo::testing
