#include <windows.h>

#include "platform/folder_lock.h"
#include "platform/last_error_win.h"
#include "platform/win32_handle_win.h"

namespace tamsolo {

// Without FILE_SHARE_DELETE nobody can delete the file while this handle is open, so a
// delete that succeeds proves the run that made it is gone.
FolderLock::FolderLock(const std::string& folder, const std::string& fileName)
    : path_(folder + "\\" + fileName) {
  FileHandle file(CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    const DWORD code = GetLastError();
    ThrowSystemError("Cannot lock \"" + path_ + "\"", code);
  }
  handle_ = reinterpret_cast<intptr_t>(file.Release());
}

FolderLock::~FolderLock() {
  if (handle_ != 0)
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void FolderLock::Remove() {
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = 0;
  DeleteFileA(path_.c_str());
}

bool FolderLockIsStale(const std::string& folder, const std::string& fileName) {
  const std::string path = folder + "\\" + fileName;
  return DeleteFileA(path.c_str()) != 0;
}

bool IsOwnFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The owner's handle does not share deletion, so an open that asks for it fails while the
// owner lives; unlike FolderLockIsStale the file stays, for the caller to delete last.
bool LockFileIsStale(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return false;
  HANDLE file =
      CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(file);
  return true;
}

}  // namespace tamsolo
