#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tamsolo::testing {

struct ArchiveFile {
  std::string name;  // UTF-8
  std::string bytes;
};

// The archive forms the tests write with libarchive's own writer.
// ZipEncrypted: deflated, every entry encrypted with the traditional ZIP cipher.
enum class ArchiveForm {
  ZipStored,
  ZipDeflated,
  ZipEncrypted,
  SevenZipLzma,
  SevenZipLzma2,
  Tar,
  TarGz
};

// Writes the files, in order, as an archive of the form at path.
void WriteArchive(const std::filesystem::path& path, ArchiveForm form,
                  const std::vector<ArchiveFile>& files);

// A stored ZIP whose names are written as the given bytes without the UTF-8 flag, as an
// archiver on a Japanese Windows writes them (code page 932).
void WriteUnflaggedZip(const std::filesystem::path& path, const std::vector<ArchiveFile>& files);

}  // namespace tamsolo::testing
