#include <exception>

#include "cli/commands.h"
#include "platform/control_bytes.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "resample/filters.h"
#include "platform/error.h"

#ifndef TAMSOLO_VERSION
#define TAMSOLO_VERSION "unknown"
#endif

namespace tamsolo {
namespace {

constexpr const char* kProgram = "tamsolo-cli";

void PrintHelp(std::span<const CliCommand> commands, std::ostream& out) {
  out << "Converts scanned comic pages into 768 x 1024 16-gray BMP reader pages.\n\nusage:\n";
  for (const CliCommand& command : commands)
    out << "  " << kProgram << " " << command.usage << "\n";
  out << "  " << kProgram << " --help | --version\n\nfilters:";
  for (size_t i = 0; i < FilterTable.size(); ++i)
    out << " " << i << "=" << FilterTable[i].name;
  out << " (default " << FilterTable[kDefaultFilterIndex].name << ")\n";
}

const CliCommand* FindCommand(std::span<const CliCommand> commands, const std::string& name) {
  for (const CliCommand& command : commands) {
    if (name == command.name)
      return &command;
  }
  return nullptr;
}

int UsageFailure(std::ostream& err, const std::string& why, const std::string& usage) {
  err << kProgram << ": " << why << "; usage: " << kProgram << " " << usage << "\n";
  return kCliUsage;
}

}  // namespace

bool PrintsTheResult(std::span<const CliCommand> commands, const std::vector<std::string>& args) {
  if (args.empty())
    return false;
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "--version")
    return true;
  const CliCommand* command = FindCommand(commands, args[0]);
  return command != nullptr && command->printsTheResult;
}

int RunCommandLine(std::span<const CliCommand> commands, const std::vector<std::string>& args,
                   std::ostream& out, std::ostream& err) {
  const std::string general = "COMMAND ... (see --help)";
  if (args.empty())
    return UsageFailure(err, "no command", general);
  if (args[0] == "--help" || args[0] == "-h") {
    PrintHelp(commands, out);
    return kCliOk;
  }
  if (args[0] == "--version") {
    out << kProgram << " " << TAMSOLO_VERSION << "\n";
    return kCliOk;
  }
  const CliCommand* command = FindCommand(commands, args[0]);
  if (command == nullptr)
    return UsageFailure(err, "unknown command \"" + args[0] + "\"", general);
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (rest.size() == 1 && (rest[0] == "--help" || rest[0] == "-h")) {
    out << "usage: " << kProgram << " " << command->usage << "\n";
    return kCliOk;
  }
  try {
    return command->run(rest, out, err);
  } catch (const UsageError& error) {
    return UsageFailure(err, EscapeControlBytes(error.what()), command->usage);
  } catch (const std::exception& error) {
    err << kProgram << ": " << EscapeControlBytes(ReasonOf(error)) << "\n";
    return kCliFatal;
  }
}

}  // namespace tamsolo
