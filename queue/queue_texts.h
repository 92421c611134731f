#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace tamsolo {

// How a queued file is shown: the book key followed by the file name ("vol1\p001.jpg").
std::string ItemText(std::string_view path, PathStyle style);

}  // namespace tamsolo
