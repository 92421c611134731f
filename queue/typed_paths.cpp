#include "queue/typed_paths.h"

#include <set>

#include "archive/archive_names.h"
#include "queue/unpadded_numbers.h"

namespace tamsolo {
namespace {

// An archive the walk read when named directly.
bool IsArchive(const std::string& path, PathStyle style, InputSet inputs) {
  const ArchiveName name = ArchiveNameOf(path, style);
  return inputs == InputSet::Extended &&
         (name == ArchiveName::Comic || name == ArchiveName::Generic);
}

}  // namespace

size_t QueueTypedPaths(FileSystem& fs, const std::vector<std::string>& paths,
                       const AddWalkedPath& add, const std::function<bool()>& stop,
                       std::vector<std::string>& ignored, WalkOptions walk) {
  std::set<std::string> walked;
  walk.walked = &walked;
  walk.unreadable = [&](const std::string&, const std::string& reason) {
    ignored.push_back(reason);
  };
  walk.stop = stop;
  const InputSet inputs = walk.inputs;
  const auto stopped = [&] { return stop && stop(); };
  size_t total = 0;
  for (const std::string& path : paths) {
    const size_t complaints = ignored.size();
    const std::optional<std::string> folder = fs.FolderIdentity(path);
    const bool walkedBefore = folder && walked.count(*folder) != 0;
    const size_t added = add(path, walk);
    total += added;
    const FileSystem::Kind kind = fs.KindOf(path);
    if (kind == FileSystem::Kind::Missing)
      ignored.push_back("ignored " + path + ": no such file or folder");
    else if (kind == FileSystem::Kind::File && added == 0 && ignored.size() == complaints &&
             !IsArchive(path, NativePathStyle(), inputs))
      ignored.push_back("ignored " + path +
                        (inputs == InputSet::Extended
                             ? ": not a .jpg, .jpeg, .png, .bmp or .webp file or an archive"
                             : ": not a .jpg, .jpeg, .png or .bmp file"));
    else if (added == 0 && ignored.size() == complaints && !walkedBefore && !stopped())
      ignored.push_back("no images found under " + path);
  }
  return total;
}

std::vector<std::string> UnpaddedNumberWarnings(const std::vector<std::string>& queuedPaths,
                                                PathStyle style) {
  std::vector<std::string> warnings;
  for (const UnpaddedNumbers& found : FindUnpaddedNumbers(queuedPaths, style)) {
    // The folder as one names it: without its last delimiter, unless that is all there is.
    const std::string folder = RemoveTrailingDelimiter(found.folder, style);
    warnings.push_back(
        "warning: " + (folder.empty() || folder.back() == ':' ? found.folder : folder) + ": " +
        found.first + " sorts before " + found.second +
        ": pad the numbers, or use --natural-order");
  }
  return warnings;
}

// The queue holds equal paths side by side.
std::vector<std::string> RepeatedFileWarnings(const std::vector<std::string>& queuedPaths) {
  std::vector<std::string> warnings;
  for (size_t i = 0; i < queuedPaths.size();) {
    size_t end = i + 1;
    while (end < queuedPaths.size() && queuedPaths[end] == queuedPaths[i])
      ++end;
    if (end - i > 1) {
      warnings.push_back("warning: " + queuedPaths[i] + " is queued " + std::to_string(end - i) +
                         " times and converted each time");
    }
    i = end;
  }
  return warnings;
}

}  // namespace tamsolo
