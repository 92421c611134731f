#pragma once

#include <span>

#include "cli/commands.h"

namespace tamsolo {

// Every subcommand of tamsolo-cli with its usage line, for the program and for tests that
// run the command line as the program does.
std::span<const CliCommand> TamsoloCommands();

}  // namespace tamsolo
