#pragma once

#include <cstdint>
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

// A 7z of one file (ASCII name) in one LZMA2 folder whose dictionary property byte is the
// given one (size (2 | byte & 1) << (byte / 2 + 11)), whatever the data needs: the data goes
// in LZMA2's uncompressed chunks, so no encoder with such a dictionary has to run.
void WriteSevenZipWindow(const std::filesystem::path& path, const ArchiveFile& file,
                         uint8_t dictionaryByte);

}  // namespace tamsolo::testing
