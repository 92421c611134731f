#include "queue/input_collection.h"

#include <exception>
#include <memory>
#include <optional>

#include "archive/archive_names.h"
#include "archive/archive_source.h"
#include "decode/image_kind.h"
#include "platform/inner_name.h"

namespace tamsolo {
namespace {

class FolderWalk {
 public:
  FolderWalk(FileSystem& fileSystem, FileQueue& queue, const WalkOptions& options)
      : fs_(fileSystem), queue_(queue), options_(options) {}

  // direct: the path was dropped itself rather than found in a folder.
  void Add(const std::string& path, bool direct) {
    switch (fs_.KindOf(path)) {
      case FileSystem::Kind::Folder:
        WalkFolder(path);
        break;
      case FileSystem::Kind::File:
        if (IsAcceptedImage(path, queue_.Style(), options_.inputs)) {
          queue_.Add(path);
          ++added_;
        } else if (options_.inputs == InputSet::Extended) {
          AddArchive(path, direct);
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
          Add(prefix + entry.name, false);
      }
    }
    if (identity)
      onBranch_.erase(*identity);
  }

  void AddArchive(const std::string& path, bool direct) {
    const PathStyle style = queue_.Style();
    const ArchiveName name = ArchiveNameOf(path, style);
    if (name == ArchiveName::Part && direct)
      Unreadable(path, "Cannot read archive \"" + path +
                           "\": one part of a split archive, which is not read");
    if (name != ArchiveName::Comic && !(name == ArchiveName::Generic && direct))
      return;
    auto archive =
        std::make_shared<ArchiveSource>(path, options_.archiveEntryLimit, options_.archiveBuffer);
    const std::vector<ArchiveEntry>* entries = nullptr;
    try {
      entries = &archive->Entries();
    } catch (const std::exception& error) {
      Unreadable(path, error.what());
      return;
    }
    const std::string prefix = AddTrailingDelimiter(path, style);
    for (const ArchiveEntry& entry : *entries) {
      if (!entry.regularFile)
        continue;
      std::string inner = InnerNameText(entry.name, entry.nameIsUtf8, style);
      if (ArchiveNameOf(inner, style) != ArchiveName::None) {
        Unreadable(path, "Cannot read \"" + prefix + inner +
                             "\": an archive inside an archive is not opened");
      } else if (IsAcceptedImage(inner, style, options_.inputs)) {
        archive->Want(entry.index);
        queue_.Add(SourceRef{prefix + inner, archive, entry.index, std::move(inner)});
        ++added_;
      }
    }
    if (!archive->Damage().empty())
      Unreadable(path, "Cannot read archive \"" + path + "\" to its end: " + archive->Damage());
  }

  void Unreadable(const std::string& path, const std::string& reason) {
    if (options_.unreadable)
      options_.unreadable(path, reason);
  }

  std::optional<std::vector<FileSystem::Entry>> ReadFolder(const std::string& path) {
    try {
      return fs_.ReadFolder(path);
    } catch (const std::exception& error) {
      Unreadable(path, error.what());
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
  walk.Add(path, true);
  return walk.Added();
}

}  // namespace tamsolo
