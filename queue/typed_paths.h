#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "queue/input_collection.h"

namespace tamsolo {

// Queues every path the user typed with add (a drop's walk with the options given, returning
// how many files it queued), walking each folder once however many paths or links lead to it;
// stop, when set, is polled during the walk. A drop ignores what gives nothing silently, but
// here the user typed it: ignored gets a line for a path that names nothing, a file that is no
// accepted image, a folder or archive that cannot be read and a path that holds no image.
// walk gives what else the walk keeps to (leaveOut, inputs, the archive limits). Returns how
// many files were queued in all.
using AddWalkedPath = std::function<size_t(const std::string& path, const WalkOptions& walk)>;
size_t QueueTypedPaths(FileSystem& fileSystem, const std::vector<std::string>& paths,
                       const AddWalkedPath& add, const std::function<bool()>& stop,
                       std::vector<std::string>& ignored, WalkOptions walk = {});

// "warning: <folder>: 10.jpg sorts before 2.jpg: pad the numbers, or use --natural-order" for
// each folder whose queued files (paths in queue order) differ only in numbers that sort
// wrong.
std::vector<std::string> UnpaddedNumberWarnings(const std::vector<std::string>& queuedPaths,
                                                PathStyle style);

// "warning: <path> is queued 2 times and converted each time" for each file given more than
// once (named twice, or named and also found in a folder given): it is queued each time, as a
// drop would queue it.
std::vector<std::string> RepeatedFileWarnings(const std::vector<std::string>& queuedPaths);

}  // namespace tamsolo
