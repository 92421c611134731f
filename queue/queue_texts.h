#pragma once

#include <string>
#include <string_view>

#include "job/source_ref.h"
#include "platform/paths.h"

namespace tamsolo {

// How a queued file is shown: the book key followed by the file name ("vol1\p001.jpg").
std::string ItemText(std::string_view path, PathStyle style);
// The same for any queued image; an archive entry shows as "<archive name>\<inner path>".
std::string ItemText(const SourceRef& source, PathStyle style);

}  // namespace tamsolo
