#include "support/fake_file_system.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/paths.h"

namespace tamsolo::testing {
namespace {

constexpr PathStyle kStyle = PathStyle::Windows;

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

std::optional<std::vector<FileSystem::Entry>> FakeFileSystem::ListFolder(const std::string& path) {
  const std::string resolved = Resolve(path);
  if (std::find(unreadable_.begin(), unreadable_.end(), resolved) != unreadable_.end())
    return std::nullopt;
  const auto it = entries_.find(resolved);
  if (it == entries_.end())
    return std::nullopt;
  return it->second;
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

bool FakeFileSystem::DeleteFile(const std::string& path) {
  deleted.push_back(path);
  return kinds_.erase(path) > 0;
}

}  // namespace tamsolo::testing
