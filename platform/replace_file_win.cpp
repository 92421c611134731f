#include <windows.h>

#include "platform/error.h"
#include "platform/identity_key.h"
#include "platform/replace_file.h"
#include "platform/system_text.h"
#include "platform/win32_handle_win.h"

namespace tamsolo {
namespace {

// Opened for attributes only, sharing everything, so that no open by someone else is in the
// way; a reparse point is opened itself unless follow is set.
HANDLE OpenForQuery(const std::string& path, bool follow) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, flags, nullptr);
}

}  // namespace

EntryType EntryTypeOf(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return IsStreamDevice(path) ? EntryType::Other : EntryType::Missing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return EntryType::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return EntryType::Folder;
  return IsStreamDevice(path) ? EntryType::Other : EntryType::RegularFile;
}

bool IsStreamDevice(const std::string& path) {
  const FileHandle file(OpenForQuery(path, true));
  if (!file.Valid())
    return false;
  const DWORD type = GetFileType(file.Get());
  return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

std::optional<std::string> FileIdentity(const std::string& path) {
  const FileHandle file(OpenForQuery(path, false));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info))
    return std::nullopt;
  return IdentityKey(info.dwVolumeSerialNumber,
                     (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

// Fails (sharing violation) when someone holds the old file open without sharing deletion;
// the new file is then deleted by the caller and the old one stays.
void RenameReplacing(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const int code = static_cast<int>(GetLastError());
    throw SystemError(
        "Cannot rename \"" + from + "\" to \"" + to + "\": " + SystemErrorDescription(code), code);
  }
}

}  // namespace tamsolo
