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
  std::unique_ptr<FileSystem::Writer> file = fileSystem.OpenForWriting(path, how);
  try {
    file->Write(bytes.data(), bytes.size());
    file->Close();
  } catch (...) {
    file.reset();
    fileSystem.DeleteFile(path);
    throw;
  }
}

}  // namespace tamsolo
