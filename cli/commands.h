#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace tamsolo {

// A subcommand: its arguments after the command's name; results to out, complaints to err.
// It returns a CliExit status and throws UsageError for a mistake on the command line.
using CliCommandFunction = int (*)(const std::vector<std::string>& args, std::ostream& out,
                                   std::ostream& err);

struct CliCommand {
  const char* name;
  const char* usage;  // what follows "tamsolo-cli ", e.g. "decode FILE -o OUT.ppm"
  CliCommandFunction run;
  // What it prints is what it was run for (plan), not a report on files it made: a reader
  // that stops reading early (`plan | head`) has what it wanted.
  bool printsTheResult = false;
};

// Dispatches args (without the program name) to one of commands, answers --help and
// --version, and turns a UsageError into one line on err and status 2 and any other error
// into one line and status 3.
int RunCommandLine(std::span<const CliCommand> commands, const std::vector<std::string>& args,
                   std::ostream& out, std::ostream& err);

// Whether standard output carries the result of the command args name: --help, --version
// and a command that prints its result.
bool PrintsTheResult(std::span<const CliCommand> commands, const std::vector<std::string>& args);

int RunPagesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunDecodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tamsolo
