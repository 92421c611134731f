#include "queue/input_collection.h"

#include "decode/image_kind.h"

#include <exception>
#include <optional>

namespace tamsolo {
namespace {

class FolderWalk {
 public:
  FolderWalk(FileSystem& fileSystem, FileQueue& queue, const WalkOptions& options)
      : fs_(fileSystem), queue_(queue), options_(options) {}

  void Add(const std::string& path) {
    switch (fs_.KindOf(path)) {
      case FileSystem::Kind::Folder:
        WalkFolder(path);
        break;
      case FileSystem::Kind::File:
        if (IsAcceptedImage(path, queue_.Style(), options_.inputs)) {
          queue_.Add(path);
          ++added_;
        }
        break;
      case FileSystem::Kind::Missing:
        break;
    }
  }

  size_t Added() const { return added_; }

 private:
  void WalkFolder(const std::string& path) {
    // A folder link back to a folder being walked would loop forever: each folder on the
    // current branch is walked at most once. A folder reached twice by different branches
    // is still walked twice, as its files were dropped twice, unless the caller keeps a set
    // of walked folders (the command line does).
    if (options_.stop && options_.stop())
      return;
    const std::optional<std::string> identity = fs_.FolderIdentity(path);
    if (identity && !onBranch_.insert(*identity).second)
      return;
    if (identity && options_.walked && !options_.walked->insert(*identity).second) {
      onBranch_.erase(*identity);
      return;
    }
    std::optional<std::vector<FileSystem::Entry>> entries = ReadFolder(path);
    if (entries && options_.leaveOut && options_.leaveOut(path, *entries))
      entries.reset();
    if (entries) {
      const std::string prefix = AddTrailingDelimiter(path, queue_.Style());
      for (const FileSystem::Entry& entry : *entries) {
        if (entry.name != "." && entry.name != "..")
          Add(prefix + entry.name);
      }
    }
    if (identity)
      onBranch_.erase(*identity);
  }

  std::optional<std::vector<FileSystem::Entry>> ReadFolder(const std::string& path) {
    try {
      return fs_.ReadFolder(path);
    } catch (const std::exception& error) {
      if (options_.unreadable)
        options_.unreadable(path, error.what());
      return std::nullopt;
    }
  }

  FileSystem& fs_;
  FileQueue& queue_;
  const WalkOptions& options_;
  std::set<std::string> onBranch_;
  size_t added_ = 0;
};

}  // namespace

bool IsAcceptedImage(const std::string& path, PathStyle style, InputSet inputs) {
  return AcceptedImageKind(path, style, inputs).has_value();
}

size_t AddPath(FileSystem& fileSystem, FileQueue& queue, const std::string& path,
               const WalkOptions& options) {
  FolderWalk walk(fileSystem, queue, options);
  walk.Add(path);
  return walk.Added();
}

}  // namespace tamsolo
