#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "clean/page_clean.h"
#include "decode/image_kind.h"
#include "resample/filters.h"

namespace tamsolo {

// A settings value as a signed 32-bit integer: decimal, or hexadecimal after "$" or "0x",
// with an optional sign and leading blanks. Anything else, or a value that does not fit in
// 32 bits, is no integer.
std::optional<int32_t> ParseSettingInteger(std::string_view text);

// The filter index a "ResampleFilter" value selects: the value when it lies in 0..6, else 5.
int32_t FilterIndexFromSetting(std::string_view text);

// The files an "Archives" value collects: exactly 0 keeps to JPEG, PNG and BMP, as before
// WebP was read; anything else, a missing key included, reads WebP too.
InputSet InputSetFromSetting(std::string_view text);

// The clean-up a "Clean" value asks for: every step for a nonzero integer, none for 0, a
// missing key or anything else, so the pages stay as they were unless it is switched on.
std::optional<CleanSteps> CleanFromSetting(std::string_view text);

// The settings file of an executable: its full path with the extension replaced by ".ini".
std::string SettingsFilePath(std::string_view executablePath);

}  // namespace tamsolo
