#include "platform/file_system.h"

#include "platform/error.h"
#include "platform/test_hook.h"

namespace tamsolo {

namespace {
std::atomic<const std::atomic<bool>*> streamWriteStop{nullptr};
}  // namespace

void SetStreamWriteStop(const std::atomic<bool>* flag) {
  streamWriteStop = flag;
}

const std::atomic<bool>* StreamWriteStop() {
  return streamWriteStop;
}

std::optional<std::vector<FileSystem::Entry>> FileSystem::ListFolder(const std::string& path) {
  try {
    return ReadFolder(path);
  } catch (const Error&) {
    return std::nullopt;
  }
}

void FileSystem::ProveWritable(const std::string&, const std::string& probe) {
  // Created new: an entry of that name, whatever it is, is never replaced.
  OpenForWriting(probe, Create::New)->Close();
  TestHook("write-probe");
  DeleteFile(probe);
}

namespace {

void WriteParts(FileSystem& fileSystem, const std::string& path,
                std::span<const std::span<const uint8_t>> parts, FileSystem::Create how) {
  // Only a file this call made is taken away: one that was there (a device named on the
  // command line, say) is never deleted.
  const bool made = how == FileSystem::Create::New || !fileSystem.Exists(path);
  std::unique_ptr<FileSystem::Writer> file = fileSystem.OpenForWriting(path, how);
  try {
    for (const std::span<const uint8_t> part : parts)
      file->Write(part.data(), part.size());
    file->Close();
  } catch (...) {
    file.reset();
    if (made)
      fileSystem.DeleteFile(path);
    throw;
  }
}

}  // namespace

void WriteFileCleanly(FileSystem& fileSystem, const std::string& path,
                      std::span<const uint8_t> bytes, FileSystem::Create how) {
  WriteParts(fileSystem, path, {&bytes, 1}, how);
}

void WriteFileCleanly(FileSystem& fileSystem, const std::string& path,
                      std::initializer_list<std::span<const uint8_t>> parts,
                      FileSystem::Create how) {
  WriteParts(fileSystem, path, {parts.begin(), parts.size()}, how);
}

}  // namespace tamsolo
