#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace tamsolo {

// Creates the folder if needed and proves that a file can be created in it, so that an
// unwritable folder ends the run before any work instead of failing every page or book.
// Throws Error naming the folder and the system's reason.
void PrepareOutputFolder(const std::string& folder, FileSystem& fileSystem, PathStyle style);

}  // namespace tamsolo
