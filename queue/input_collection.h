#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "decode/decode_limits.h"
#include "decode/image_kind.h"
#include "platform/file_system.h"
#include "queue/file_queue.h"

namespace tamsolo {

// Whether a file name carries one of the accepted image extensions (".JPG", ".JPEG", ".PNG",
// ".BMP" and, in the extended set, ".WEBP", in any letter case).
bool IsAcceptedImage(const std::string& path, PathStyle style,
                     InputSet inputs = InputSet::Extended);

// How the command line walks: a drop keeps the defaults.
struct WalkOptions {
  // Folders already walked, by FolderIdentity; when set, each folder is walked once for as
  // long as the set lives, however many paths or links lead to it.
  std::set<std::string>* walked = nullptr;
  // Told about every folder that cannot be read, with the system's reason.
  std::function<void(const std::string& path, const std::string& reason)> unreadable;
  // Polled before each folder; true ends the walk.
  std::function<bool()> stop;
  // Asked about each folder with its entries before they are walked; true leaves the folder
  // out with everything below it.
  std::function<bool(const std::string& path, const std::vector<FileSystem::Entry>& entries)>
      leaveOut;
  // Which files are collected (the command line's --no-archives, the window's Archives=0).
  InputSet inputs = InputSet::Extended;
  // What one archive entry may hold (the decode's memory limit), and what an archive may keep
  // of the entries it passes on the way to a later one.
  uint64_t archiveEntryLimit = kDefaultDecodeMemoryLimit;
  uint64_t archiveBuffer = uint64_t{64} << 20;
};

// Queues one dropped path: an accepted image file, or every accepted file of a folder and
// its sub-folders, depth-first in the order the file system lists them. A path that does not
// exist or cannot be read is ignored. In the extended set a comic archive is listed and each
// image entry queued; a generic archive only when it is the path itself. What an archive
// cannot give (it cannot be read, damage ends its listing, an archive inside it, a part of a
// split archive) is told to unreadable, as a folder that cannot be read is. Returns how many
// images were queued.
size_t AddPath(FileSystem& fileSystem, FileQueue& queue, const std::string& path,
               const WalkOptions& options = {});

}  // namespace tamsolo
