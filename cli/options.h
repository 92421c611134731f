#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "clean/page_clean.h"
#include "decode/decode_limits.h"
#include "decode/image_kind.h"
#include "platform/paths.h"

namespace tamsolo {

// A mistake on the command line; the dispatcher prints it with the command's usage line.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionSpec {
  std::string_view name;  // "-o", "--filter", "--quiet"
  bool takesValue = false;
  // A flag that may take a value: "--name=value" always, "--name value" only when the next
  // argument is one this accepts, so that a path after the flag stays a path.
  bool (*acceptsValue)(std::string_view text) = nullptr;
};

struct ParsedOptions {
  std::vector<std::string> positional;
  std::map<std::string, std::string, std::less<>> values;  // "" for a flag

  bool Has(std::string_view name) const { return values.find(name) != values.end(); }
  // The option's value; UsageError naming it when it was not given.
  const std::string& Required(std::string_view name) const;
};

// Options may come anywhere among the positional arguments; "--name=value" and "--name value"
// both work, and "--" ends the options. An unknown option, a missing value or an option given
// twice is a UsageError.
ParsedOptions ParseOptions(const std::vector<std::string>& args,
                           std::initializer_list<OptionSpec> known);

// A filter by its name in FilterTable (any letter case) or its index 0..6; UsageError
// otherwise.
int32_t ParseFilterIndex(std::string_view text);
// The "--filter" option's index, or the default (Lanczos3) when it was not given.
int32_t FilterIndexOption(const ParsedOptions& options);

// "--memory-limit MIB": what decoding one image may use in all, in MiB (1 to 1048576), as
// bytes; the decoders' default (1024 MiB) when it was not given. UsageError otherwise.
uint64_t MemoryLimitOption(const ParsedOptions& options);

// "--no-archives": only what was read before WebP (JPEG, PNG, BMP); else the extended set.
InputSet InputSetOption(const ParsedOptions& options);

// "levels,crop,deskew" or any of them, each once; "" for all three. UsageError otherwise.
CleanSteps ParseCleanSteps(std::string_view text);
bool IsCleanStepList(std::string_view text);
// "--clean[=STEPS]": the clean-up steps, or none when it was not given.
std::optional<CleanSteps> CleanOption(const ParsedOptions& options);

// "2G", "512M", "64MiB", "100000": a byte count with an optional K, M, G or T (powers of
// 1024, optionally followed by "iB" or "B"); UsageError otherwise or for 0.
uint64_t ParseByteCount(std::string_view text);

// The settings of the parallel conversion: "--jobs N" (1 to 256; the usable processors when
// not given) and "--memory SIZE" (the run-wide budget, 2 GiB when not given).
struct ParallelOptions {
  int jobs = 1;
  uint64_t memoryBudget = kDefaultMemoryBudget;
};
ParallelOptions ParallelOptionsOf(const ParsedOptions& options);

}  // namespace tamsolo
