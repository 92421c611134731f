#pragma once

#include <string>
#include <vector>

namespace tamsolo::testing {

struct CliOutcome {
  int status;
  std::string out;
  std::string err;
};

// The command line in this process, as the program runs it (its own command table), with
// what it prints captured.
CliOutcome RunCli(const std::vector<std::string>& args);

}  // namespace tamsolo::testing
