#include "platform/locked_folder.h"

#include "platform/error.h"
#include "platform/test_hook.h"

namespace tamsolo {
namespace {

constexpr int kTries = 16;

}  // namespace

LockedFolder::LockedFolder(FileSystem& fs, const std::string& parent, const std::string& prefix,
                           const std::string& lockFile, FolderAccess access,
                           const std::string& hook, PathStyle style) {
  for (int attempt = 1;; ++attempt) {
    const std::string name = prefix + MakeRunFolderName();
    const std::string folder = parent + name;
    try {
      lock_ = std::make_unique<FolderLock>(RemoveTrailingDelimiter(parent, style),
                                           name + "." + lockFile);
    } catch (const SystemError&) {
      if (attempt >= kTries || !fs.Exists(folder + "." + lockFile))
        throw;
      continue;
    }
    TestHook((hook + "-locked").c_str());
    try {
      if (access == FolderAccess::Private)
        fs.CreatePrivateFolder(folder);
      else
        fs.CreateFolderExclusive(folder);
    } catch (const SystemError&) {
      Release();
      if (attempt >= kTries || !fs.Exists(folder))
        throw;
      continue;
    }
    path_ = folder;
    TestHook((hook + "-made").c_str());
    return;
  }
}

void LockedFolder::Release() {
  if (lock_) {
    lock_->Remove();
    lock_.reset();
  }
}

}  // namespace tamsolo
