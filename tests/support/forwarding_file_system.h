#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/file_system.h"

namespace tamsolo::testing {

// The native file system, every call passed on; tests set a temp folder of their own and the
// page writes that fail as on a full disk, or override the calls they want to watch.
class ForwardingFileSystem : public FileSystem {
 public:
  Kind KindOf(const std::string& path) override { return native_->KindOf(path); }
  bool Exists(const std::string& path) override { return native_->Exists(path); }
  std::vector<Entry> ReadFolder(const std::string& path) override {
    return native_->ReadFolder(path);
  }
  std::optional<std::string> FolderIdentity(const std::string& path) override {
    return native_->FolderIdentity(path);
  }
  void CreateFolders(const std::string& path) override { native_->CreateFolders(path); }
  void CreateFolderExclusive(const std::string& path) override {
    native_->CreateFolderExclusive(path);
  }
  void CreatePrivateFolder(const std::string& path) override { native_->CreatePrivateFolder(path); }
  void RenameNoReplace(const std::string& from, const std::string& to) override {
    native_->RenameNoReplace(from, to);
  }
  bool DeleteFile(const std::string& path) override { return native_->DeleteFile(path); }
  void RemoveFolder(const std::string& path) override { native_->RemoveFolder(path); }
  void CopyFile(const std::string& from, const std::string& to) override {
    native_->CopyFile(from, to);
  }
  void LinkOrCopyFile(const std::string& from, const std::string& to) override {
    native_->LinkOrCopyFile(from, to);
  }
  std::unique_ptr<Writer> OpenForWriting(const std::string& path, Create how) override {
    if (fullDisk && fullDisk(path))  // the reason without the path, which differs between runs
      throw SystemError("No space left on device", 28);
    return native_->OpenForWriting(path, how);
  }
  std::string TempFolder() override { return temp.empty() ? native_->TempFolder() : temp; }

  std::string temp;                                  // the temp folder, when not empty
  std::function<bool(const std::string&)> fullDisk;  // picks the writes that fail

 protected:
  std::unique_ptr<FileSystem> native_ = MakeNativeFileSystem();
};

}  // namespace tamsolo::testing
