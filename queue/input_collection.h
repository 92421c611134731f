#pragma once

#include <cstddef>
#include <string>

#include "platform/file_system.h"
#include "queue/file_queue.h"

namespace tamsolo {

// Whether a file name carries one of the accepted image extensions (".JPG", ".JPEG", ".PNG",
// ".BMP" in any letter case).
bool IsAcceptedImage(const std::string& path, PathStyle style);

// Queues one dropped path: an accepted image file, or every accepted file of a folder and
// its sub-folders, depth-first in the order the file system lists them. A path that does not
// exist or cannot be read is ignored. Returns how many files were queued.
size_t AddPath(FileSystem& fileSystem, FileQueue& queue, const std::string& path);

}  // namespace tamsolo
