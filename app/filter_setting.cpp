#include "app/filter_setting.h"

#include "platform/paths.h"

namespace tamsolo {
namespace {

int DigitValue(char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (base == 16 && c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (base == 16 && c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::optional<int32_t> ParseSettingInteger(std::string_view text) {
  size_t at = text.find_first_not_of(" \t");
  if (at == std::string_view::npos)
    return std::nullopt;
  text.remove_prefix(at);
  const bool negative = text.front() == '-';
  if (text.front() == '-' || text.front() == '+')
    text.remove_prefix(1);
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty())
    return std::nullopt;
  // Hexadecimal may use all 32 bits ($FFFFFFFF is -1); decimal must fit the signed range.
  const uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
  uint64_t magnitude = 0;
  for (const char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0)
      return std::nullopt;
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (magnitude > limit)
      return std::nullopt;
  }
  const uint32_t bits = static_cast<uint32_t>(magnitude);
  return static_cast<int32_t>(negative ? 0u - bits : bits);
}

int32_t FilterIndexFromSetting(std::string_view text) {
  const std::optional<int32_t> value = ParseSettingInteger(text);
  if (value && *value >= 0 && *value <= 6)
    return *value;
  return kDefaultFilterIndex;
}

InputSet InputSetFromSetting(std::string_view text) {
  return ParseSettingInteger(text) == 0 ? InputSet::Classic : InputSet::Extended;
}

std::optional<CleanSteps> CleanFromSetting(std::string_view text) {
  const std::optional<int32_t> value = ParseSettingInteger(text);
  if (!value || *value == 0)
    return std::nullopt;
  return CleanSteps{};
}

std::string SettingsFilePath(std::string_view executablePath) {
  return FolderPart(executablePath, PathStyle::Windows) +
         BaseNameOf(executablePath, PathStyle::Windows) + ".ini";
}

}  // namespace tamsolo
