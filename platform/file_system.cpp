#include "platform/file_system.h"

#include "platform/error.h"

namespace tamsolo {

std::optional<std::vector<FileSystem::Entry>> FileSystem::ListFolder(const std::string& path) {
  try {
    return ReadFolder(path);
  } catch (const Error&) {
    return std::nullopt;
  }
}

void WriteFileCleanly(FileSystem& fileSystem, const std::string& path,
                      std::span<const uint8_t> bytes, FileSystem::Create how) {
  // Only a file this call made is taken away: one that was there (a device named on the
  // command line, say) is never deleted.
  const bool made = how == FileSystem::Create::New || !fileSystem.Exists(path);
  std::unique_ptr<FileSystem::Writer> file = fileSystem.OpenForWriting(path, how);
  try {
    file->Write(bytes.data(), bytes.size());
    file->Close();
  } catch (...) {
    file.reset();
    if (made)
      fileSystem.DeleteFile(path);
    throw;
  }
}

}  // namespace tamsolo
