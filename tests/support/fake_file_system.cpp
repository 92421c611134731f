#include "support/fake_file_system.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/paths.h"

namespace tamsolo::testing {
namespace {

constexpr PathStyle kStyle = PathStyle::Windows;
constexpr int kNoSpace = 28;

class FakeWriter final : public FileSystem::Writer {
 public:
  FakeWriter(std::string& content, bool failHalfWay) : content_(content), fail_(failHalfWay) {}
  void Write(const void* data, size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    if (fail_) {
      content_.append(bytes, size / 2);
      throw SystemError("No space left on device", kNoSpace);
    }
    content_.append(bytes, size);
  }
  void Close() override {}

 private:
  std::string& content_;
  bool fail_;
};

}  // namespace

void FakeFileSystem::AddEntry(const std::string& path, bool isFolder) {
  const std::string parent = RemoveTrailingDelimiter(FolderPart(path, kStyle), kStyle);
  if (!parent.empty() && parent.back() != ':' && !kinds_.count(parent))
    AddFolder(parent);
  entries_[parent].push_back({FileNamePart(path, kStyle), isFolder});
}

void FakeFileSystem::AddFile(const std::string& path) {
  AddEntry(path, false);
  kinds_[path] = Kind::File;
}

void FakeFileSystem::AddFolder(const std::string& path) {
  if (kinds_.count(path))
    return;
  kinds_[path] = Kind::Folder;
  if (path.size() > 2)  // "C:" is a root and has no entry of its own
    AddEntry(path, true);
}

void FakeFileSystem::AddFolderLink(const std::string& path, const std::string& target) {
  links_[path] = target;
  AddEntry(path, true);
}

// Follows links in any component, so "C:\a\loop\loop\x" reaches what "C:\a\x" names.
std::string FakeFileSystem::Resolve(const std::string& path) const {
  std::string resolved = RemoveTrailingDelimiter(path, kStyle);
  for (bool changed = true; changed;) {
    changed = false;
    for (const auto& [link, target] : links_) {
      if (resolved == link || resolved.rfind(link + "\\", 0) == 0) {
        resolved = target + resolved.substr(link.size());
        changed = true;
      }
    }
  }
  return resolved;
}

FileSystem::Kind FakeFileSystem::KindOf(const std::string& path) {
  const std::string resolved = Resolve(path);
  if (resolved.size() == 2 && resolved[1] == ':')
    return Kind::Folder;
  const auto it = kinds_.find(resolved);
  return it == kinds_.end() ? Kind::Missing : it->second;
}

bool FakeFileSystem::Exists(const std::string& path) {
  return KindOf(path) != Kind::Missing;
}

std::vector<FileSystem::Entry> FakeFileSystem::ReadFolder(const std::string& path) {
  ++folderReads;
  const std::string resolved = Resolve(path);
  if (std::find(unreadable_.begin(), unreadable_.end(), resolved) != unreadable_.end())
    throw SystemError("Cannot read folder \"" + path + "\": Permission denied", 13);
  const auto it = entries_.find(resolved);
  if (it == entries_.end())
    throw SystemError("Cannot read folder \"" + path + "\": No such file or directory", 2);
  return it->second;
}

std::unique_ptr<FileSystem::Writer> FakeFileSystem::OpenForWriting(const std::string& path,
                                                                   Create how) {
  if (how == Create::New && Exists(path))
    throw SystemError("Cannot create file \"" + path + "\": File exists", 17);
  if (!Exists(path))
    AddFile(path);
  std::string& content = contents[path];
  content.clear();
  const bool fail = failingWrites_ > 0;
  failingWrites_ -= fail ? 1 : 0;
  return std::make_unique<FakeWriter>(content, fail);
}

std::optional<std::string> FakeFileSystem::FolderIdentity(const std::string& path) {
  if (KindOf(path) != Kind::Folder)
    return std::nullopt;
  return Resolve(path);
}

void FakeFileSystem::CreateFolderExclusive(const std::string& path) {
  if (KindOf(path) != Kind::Missing)
    throw SystemError("exists", 17);
  AddFolder(path);
}

// Moves the entry and everything below it.
void FakeFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  if (Exists(to))
    throw SystemError("Cannot rename \"" + from + "\": File exists", 17);
  const auto moved = [&](const std::string& path) {
    return path == from || path.rfind(from + "\\", 0) == 0;
  };
  const auto move = [&](auto& map) {
    std::vector<std::string> keys;
    for (const auto& [path, value] : map) {
      if (moved(path))
        keys.push_back(path);
    }
    for (const std::string& key : keys) {
      map[to + key.substr(from.size())] = map.at(key);
      map.erase(key);
    }
  };
  move(kinds_);
  move(contents);
  move(entries_);
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
  deleted.push_back(path);
  contents.erase(path);
  if (kinds_.erase(path) == 0)
    return false;
  const std::string parent = RemoveTrailingDelimiter(FolderPart(path, kStyle), kStyle);
  std::vector<Entry>& siblings = entries_[parent];
  const std::string name = FileNamePart(path, kStyle);
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [&](const Entry& entry) { return entry.name == name; }),
                 siblings.end());
  return true;
}

}  // namespace tamsolo::testing
