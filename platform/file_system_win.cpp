#include <windows.h>
// windows.h maps these names to the A functions; here they name the interface's methods.
#undef CopyFile
#undef DeleteFile

#include <algorithm>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/identity_key.h"
#include "platform/last_error_win.h"
#include "platform/paths.h"
#include "platform/system_text.h"
#include "platform/test_hook.h"
#include "platform/win32_handle_win.h"

namespace tamsolo {
namespace {

constexpr PathStyle kStyle = PathStyle::Windows;

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

bool IsDotEntry(const char* name) {
  return std::string_view(name) == "." || std::string_view(name) == "..";
}

FileSystem::Entry EntryOf(const WIN32_FIND_DATAA& found) {
  return {found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

class Win32Writer final : public FileSystem::Writer {
 public:
  Win32Writer(FileHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
  void Write(const void* data, size_t size) override {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
      const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(file_.Get(), bytes, chunk, &written, nullptr) || written == 0) {
        const DWORD code = GetLastError();
        ThrowSystemError("Cannot write file " + Quoted(path_), code);
      }
      bytes += written;
      size -= written;
    }
  }
  void Close() override {
    if (!CloseHandle(file_.Release())) {
      const DWORD code = GetLastError();
      ThrowSystemError("Cannot write file " + Quoted(path_), code);
    }
  }

 private:
  FileHandle file_;
  std::string path_;
};

class Win32FileSystem final : public FileSystem {
 public:
  Kind KindOf(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
      return Kind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Folder : Kind::File;
  }

  bool Exists(const std::string& path) override {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::vector<Entry> ReadFolder(const std::string& path) override {
    const std::string pattern = AddTrailingDelimiter(path, kStyle) + "*.*";
    WIN32_FIND_DATAA found{};
    SearchHandle search(FindFirstFileA(pattern.c_str(), &found));
    if (!search.Valid()) {
      const DWORD code = GetLastError();
      // A drive root has no "." entry, so an empty one matches nothing at all.
      if (code == ERROR_FILE_NOT_FOUND)
        return std::vector<Entry>{};
      ThrowSystemError("Cannot read folder " + Quoted(path), code);
    }
    std::vector<Entry> entries;
    do {
      if (!IsDotEntry(found.cFileName))
        entries.push_back(EntryOf(found));
    } while (FindNextFileA(search.Get(), &found));
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES)
      ThrowSystemError("Cannot read folder " + Quoted(path), code);
    return entries;
  }

  std::optional<std::string> FolderIdentity(const std::string& path) override {
    // Backup semantics is what lets CreateFile open a folder; links are followed to the target.
    FileHandle folder(CreateFileA(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.Valid())
      return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(folder.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      return std::nullopt;
    return IdentityKey(info.dwVolumeSerialNumber,
                       (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
  }

  void CreateFolders(const std::string& path) override {
    std::string folder = RemoveTrailingDelimiter(UnifyDelimiters(path, kStyle), kStyle);
    if (folder.empty() || KindOf(folder) == Kind::Folder)
      return;
    const std::string parent = RemoveTrailingDelimiter(FolderPart(folder, kStyle), kStyle);
    if (!parent.empty() && parent != folder)
      CreateFolders(parent);
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
      const DWORD code = GetLastError();
      // Made by someone else meanwhile is as good as made here.
      if (code != ERROR_ALREADY_EXISTS || KindOf(folder) != Kind::Folder)
        ThrowSystemError("Cannot create folder " + Quoted(folder), code);
    }
  }

  void CreateFolderExclusive(const std::string& path) override {
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
      const DWORD code = GetLastError();
      ThrowSystemError("Cannot create folder " + Quoted(path), code);
    }
  }

  void CreatePrivateFolder(const std::string& path) override { CreateFolderExclusive(path); }

  // Without MOVEFILE_REPLACE_EXISTING the move fails when the new name exists.
  void RenameNoReplace(const std::string& from, const std::string& to) override {
    if (!MoveFileExA(from.c_str(), to.c_str(), 0)) {
      const DWORD code = GetLastError();
      ThrowSystemError("Cannot rename " + Quoted(from) + " to " + Quoted(to), code);
    }
  }

  bool DeleteFile(const std::string& path) override { return ::DeleteFileA(path.c_str()) != 0; }

  void RemoveFolder(const std::string& path) override {
    if (!RemoveDirectoryA(path.c_str())) {
      const DWORD code = GetLastError();
      ThrowSystemError("Cannot remove folder " + Quoted(path), code);
    }
  }

  void CopyFile(const std::string& from, const std::string& to) override {
    if (!::CopyFileA(from.c_str(), to.c_str(), TRUE)) {
      const DWORD code = GetLastError();
      ThrowSystemError("Cannot copy " + Quoted(from) + " to " + Quoted(to), code);
    }
  }

  // FAT volumes, other volumes and shares without links get a copy.
  void LinkOrCopyFile(const std::string& from, const std::string& to) override {
    if (::CreateHardLinkA(to.c_str(), from.c_str(), nullptr))
      return;
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)
      ThrowSystemError("Cannot link " + Quoted(from) + " to " + Quoted(to), code);
    CopyFile(from, to);
  }

  // CREATE_NEW fails on any existing name, a link or junction included.
  std::unique_ptr<Writer> OpenForWriting(const std::string& path, Create how) override {
    const DWORD disposition = how == Create::New ? CREATE_NEW : CREATE_ALWAYS;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      const DWORD code = GetLastError();
      ThrowSystemError("Cannot create file " + Quoted(path), code);
    }
    return std::make_unique<Win32Writer>(std::move(file), path);
  }

  // Deleted when its handle closes, which the system does for a killed process too.
  void ProveWritable(const std::string& folder, const std::string& probe) override {
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      ThrowSystemError("Cannot create a file in " + Quoted(folder), code);
    }
    TestHook("write-probe");
    CloseHandle(file);
  }

  std::string TempFolder() override {
    char buffer[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0)
      ThrowLastError("Cannot find the temp folder");
    // The ANSI calls cannot reach anything below a path that does not fit MAX_PATH, so a
    // longer one is refused here rather than cut short.
    if (length >= sizeof buffer)
      ThrowSystemError("Cannot find the temp folder", ERROR_FILENAME_EXCED_RANGE);
    return AddTrailingDelimiter(std::string(buffer, length), kStyle);
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace tamsolo
