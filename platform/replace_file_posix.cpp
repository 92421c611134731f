#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/error.h"
#include "platform/identity_key.h"
#include "platform/replace_file.h"

namespace tamsolo {

EntryType EntryTypeOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return EntryType::Missing;
  if (S_ISREG(info.st_mode))
    return EntryType::RegularFile;
  if (S_ISLNK(info.st_mode))
    return EntryType::Link;
  return S_ISDIR(info.st_mode) ? EntryType::Folder : EntryType::Other;
}

bool IsStreamDevice(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode));
}

std::optional<std::string> FileIdentity(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return std::nullopt;
  return IdentityKey(info.st_dev, info.st_ino);
}

void RenameReplacing(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    const int code = errno;
    throw SystemError("Cannot rename \"" + from + "\" to \"" + to + "\": " + std::strerror(code),
                      code);
  }
}

}  // namespace tamsolo
