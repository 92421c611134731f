#include <iostream>

#include "cli/commands.h"
#include "cli/convert_command.h"

int main(int argc, char** argv) {
  using namespace tamsolo;
  static const CliCommand kCommands[] = {
      {"pages", "pages FILE... -o DIR [--filter NAME|INDEX]", RunPagesCommand},
      {"decode", "decode FILE -o OUT.ppm", RunDecodeCommand},
      {"convert", kConvertUsageLine, RunConvertCommand},
  };
  const std::vector<std::string> args(argv + 1, argv + argc);
  return RunCommandLine(kCommands, args, std::cout, std::cerr);
}
