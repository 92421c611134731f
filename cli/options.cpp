#include "cli/options.h"

#include <algorithm>
#include <string>

#include "platform/usable_cpus.h"
#include "decode/decode_limits.h"
#include "resample/filters.h"
#include "platform/paths.h"

namespace tamsolo {
namespace {

const OptionSpec* FindOption(std::initializer_list<OptionSpec> known, std::string_view name) {
  for (const OptionSpec& spec : known) {
    if (spec.name == name)
      return &spec;
  }
  return nullptr;
}

bool LooksLikeOption(std::string_view arg) {
  return arg.size() > 1 && arg[0] == '-';
}

}  // namespace

const std::string& ParsedOptions::Required(std::string_view name) const {
  const auto found = values.find(name);
  if (found == values.end())
    throw UsageError("missing " + std::string(name));
  return found->second;
}

ParsedOptions ParseOptions(const std::vector<std::string>& args,
                           std::initializer_list<OptionSpec> known) {
  ParsedOptions parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !LooksLikeOption(arg)) {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
    const std::string name = arg.substr(0, equals);
    const OptionSpec* spec = FindOption(known, name);
    if (spec == nullptr)
      throw UsageError("unknown option " + name);
    if (parsed.Has(name))
      throw UsageError(name + " given twice");
    std::string value;
    if (equals != std::string::npos) {
      if (!spec->takesValue && spec->acceptsValue == nullptr)
        throw UsageError(name + " takes no value");
      value = arg.substr(equals + 1);
    } else if (spec->takesValue) {
      if (i + 1 >= args.size())
        throw UsageError(name + " needs a value");
      value = args[++i];
    } else if (spec->acceptsValue != nullptr && i + 1 < args.size() &&
               spec->acceptsValue(args[i + 1])) {
      value = args[++i];
    }
    parsed.values.emplace(name, std::move(value));
  }
  return parsed;
}

int32_t ParseFilterIndex(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] < static_cast<char>('0' + FilterTable.size()))
    return text[0] - '0';
  const std::string wanted = UpperAscii(text);
  for (size_t i = 0; i < FilterTable.size(); ++i) {
    if (UpperAscii(FilterTable[i].name) == wanted)
      return static_cast<int32_t>(i);
  }
  std::string names;
  for (const FilterEntry& entry : FilterTable)
    names += std::string(names.empty() ? "" : ", ") + entry.name;
  throw UsageError("unknown filter \"" + std::string(text) + "\" (" + names + " or 0..6)");
}

int32_t FilterIndexOption(const ParsedOptions& options) {
  const auto found = options.values.find(std::string_view("--filter"));
  return found == options.values.end() ? kDefaultFilterIndex : ParseFilterIndex(found->second);
}

uint64_t MemoryLimitOption(const ParsedOptions& options) {
  constexpr uint64_t kMaxMiB = uint64_t{1} << 20;
  const auto found = options.values.find(std::string_view("--memory-limit"));
  if (found == options.values.end())
    return kDefaultDecodeMemoryLimit;
  const std::string& text = found->second;
  const bool digits = !text.empty() && text.size() <= 7 &&
                      text.find_first_not_of("0123456789") == std::string::npos;
  const uint64_t mib = digits ? std::stoull(text) : 0;
  if (mib == 0 || mib > kMaxMiB)
    throw UsageError("--memory-limit takes a whole number of MiB from 1 to 1048576, not \"" + text +
                     "\"");
  return mib << 20;
}

namespace {

// The steps a non-empty list names, each once; none when it names anything else.
std::optional<CleanSteps> CleanStepList(std::string_view text) {
  CleanSteps steps{false, false, false};
  for (size_t start = 0; start <= text.size();) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view step = text.substr(start, comma - start);
    bool* chosen = step == "levels"   ? &steps.levels
                   : step == "crop"   ? &steps.crop
                   : step == "deskew" ? &steps.deskew
                                      : nullptr;
    if (chosen == nullptr || *chosen)
      return std::nullopt;
    *chosen = true;
    start = comma + 1;
  }
  return steps;
}

}  // namespace

CleanSteps ParseCleanSteps(std::string_view text) {
  if (text.empty())
    return CleanSteps{};
  const std::optional<CleanSteps> steps = CleanStepList(text);
  if (!steps)
    throw UsageError("--clean takes levels, crop and deskew, each once, not \"" +
                     std::string(text) + "\"");
  return *steps;
}

bool IsCleanStepList(std::string_view text) {
  return !text.empty() && CleanStepList(text).has_value();
}

std::optional<CleanSteps> CleanOption(const ParsedOptions& options) {
  const auto found = options.values.find(std::string_view("--clean"));
  if (found == options.values.end())
    return std::nullopt;
  return ParseCleanSteps(found->second);
}

uint64_t ParseByteCount(std::string_view text) {
  uint64_t value = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (UINT64_MAX - 9) / 10)
      throw UsageError("size \"" + std::string(text) + "\" is too large");
    value = value * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  const std::string unit = UpperAscii(text.substr(i));
  static constexpr std::string_view kUnits = "KMGT";
  int shift = 0;
  if (!unit.empty()) {
    const size_t at = kUnits.find(unit[0]);
    const std::string_view rest = std::string_view(unit).substr(1);
    if (at == std::string_view::npos || !(rest.empty() || rest == "B" || rest == "IB"))
      throw UsageError("size \"" + std::string(text) + "\" is not a number with K, M, G or T");
    shift = 10 * static_cast<int>(at + 1);
  }
  if (i == 0 || value == 0)
    throw UsageError("size \"" + std::string(text) + "\" is not a positive number");
  if (value > (UINT64_MAX >> shift))
    throw UsageError("size \"" + std::string(text) + "\" is too large");
  return value << shift;
}

ParallelOptions ParallelOptionsOf(const ParsedOptions& options) {
  ParallelOptions parallel;
  parallel.jobs = UsableCpuCount();
  if (const auto jobs = options.values.find(std::string_view("--jobs"));
      jobs != options.values.end()) {
    const std::string& text = jobs->second;
    const bool digits = !text.empty() && text.size() <= 3 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    const int count = digits ? std::stoi(text) : 0;
    if (count < 1 || count > 256)
      throw UsageError("--jobs needs a count from 1 to 256, not \"" + text + "\"");
    parallel.jobs = count;
  }
  if (const auto memory = options.values.find(std::string_view("--memory"));
      memory != options.values.end())
    parallel.memoryBudget = ParseByteCount(memory->second);
  return parallel;
}

InputSet InputSetOption(const ParsedOptions& options) {
  return options.Has("--no-archives") ? InputSet::Classic : InputSet::Extended;
}

}  // namespace tamsolo
