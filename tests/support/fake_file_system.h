#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tamsolo::testing {

// An in-memory tree in the Windows path style ("C:\a\b.jpg"), for tests that need drive
// roots, Shift-JIS names or folder links. Folders list their entries in the order added.
class FakeFileSystem final : public FileSystem {
 public:
  void AddFile(const std::string& path);
  void AddFolder(const std::string& path);
  // A folder entry at path that leads to the folder target (a link or junction).
  void AddFolderLink(const std::string& path, const std::string& target);
  void MakeUnreadable(const std::string& folder) { unreadable_.push_back(folder); }

  // The next failingWrites files opened for writing fail half-way through their bytes with
  // "No space left on device".
  void FailWrites(int count) { failingWrites_ = count; }

  Kind KindOf(const std::string& path) override;
  bool Exists(const std::string& path) override;
  std::vector<Entry> ReadFolder(const std::string& path) override;
  std::optional<std::string> FolderIdentity(const std::string& path) override;
  void CreateFolders(const std::string& path) override { createdFolders.push_back(path); }
  void CreateFolderExclusive(const std::string& path) override;
  void CreatePrivateFolder(const std::string& path) override { CreateFolderExclusive(path); }
  void RenameNoReplace(const std::string& from, const std::string& to) override;
  bool DeleteFile(const std::string& path) override;
  void RemoveFolder(const std::string&) override {}
  void CopyFile(const std::string&, const std::string&) override {}
  std::unique_ptr<Writer> OpenForWriting(const std::string& path, Create how) override;
  std::string TempFolder() override { return "C:\\TEMP\\"; }

  std::vector<std::string> deleted;
  std::map<std::string, std::string> contents;  // files written through OpenForWriting
  int folderReads = 0;
  std::vector<std::string> createdFolders;

 private:
  std::string Resolve(const std::string& path) const;
  void AddEntry(const std::string& path, bool isFolder);

  std::map<std::string, Kind> kinds_;
  std::map<std::string, std::vector<Entry>> entries_;
  std::map<std::string, std::string> links_;
  std::vector<std::string> unreadable_;
  int failingWrites_ = 0;
};

}  // namespace tamsolo::testing
