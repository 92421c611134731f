#include "archive/archive_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "platform/inner_name.h"
#include "support/archive_writer.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using testing::ArchiveFile;
using testing::ArchiveForm;

const std::vector<ArchiveFile> kFiles = {
    {"vol1/002.jpg", std::string(70000, 'b')},  // stored second-sorted first: storage order
    {"vol1/001.png", "one"},
    {"\xE8\xA1\xA8\xE7\xB4\x99.bmp", std::string(300000, 'c')},  // 表紙
};

std::string ErrorOf(ArchiveReader& reader, size_t index) {
  try {
    reader.Read(index);
    return "";
  } catch (const Error& error) {
    return error.what();
  }
}

// Every form lists its entries in storage order, names as UTF-8 in any locale, and gives each
// entry's bytes; reading in order opens the data once, an earlier entry costs one re-read.
TEST(ArchiveReader, ReadsEveryFormForwardInStorageOrder) {
  testing::TempFolder temp;
  for (const ArchiveForm form :
       {ArchiveForm::ZipStored, ArchiveForm::ZipDeflated, ArchiveForm::SevenZipLzma,
        ArchiveForm::SevenZipLzma2, ArchiveForm::Tar, ArchiveForm::TarGz}) {
    const fs::path path = temp.Path() / ("a" + std::to_string(static_cast<int>(form)));
    testing::WriteArchive(path, form, kFiles);
    ArchiveReader reader(path.string(), 1 << 20);
    const std::vector<ArchiveEntry>& entries = reader.Entries();
    ASSERT_EQ(entries.size(), kFiles.size()) << path;
    for (size_t i = 0; i < kFiles.size(); ++i) {
      EXPECT_EQ(entries[i].name, kFiles[i].name) << path;
      EXPECT_TRUE(entries[i].nameIsUtf8) << path;
      const ByteBuffer bytes = reader.Read(i);
      EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kFiles[i].bytes) << path << " " << i;
    }
    const int opens = reader.Opens();
    EXPECT_EQ(reader.Read(1).size(), 3u);
    EXPECT_EQ(reader.Opens(), opens + 1) << path;
  }
}

// No free tool writes RAR: libarchive's own RAR4 and RAR5 samples are read entry for entry.
TEST(ArchiveReader, ReadsLibarchivesRarSamplesEntryForEntry) {
  for (const char* name : {"rar4.rar", "rar5.rar", "rar5_stored.rar"}) {
    ArchiveReader reader(std::string(TAMSOLO_ARCHIVE_SEEDS) + "/" + name, 1 << 20);
    const std::vector<ArchiveEntry>& entries = reader.Entries();
    EXPECT_FALSE(entries.empty()) << name;
    EXPECT_EQ(reader.Damage(), "") << name;
    size_t bytes = 0;
    for (const ArchiveEntry& entry : entries) {
      if (entry.regularFile)
        bytes += reader.Read(entry.index).size();
    }
    EXPECT_GT(bytes, 0u) << name;
    EXPECT_EQ(reader.Opens(), 1) << name;
  }
}

// An entry past the memory limit is refused by name and the entries after it are still read;
// a truncated archive keeps what lies before the damage; an encrypted entry is named.
TEST(ArchiveReader, RefusesWhatPassesTheLimitAndKeepsWhatLiesBeforeDamage) {
  testing::TempFolder temp;
  const fs::path path = temp.Path() / "v.cbz";
  testing::WriteArchive(path, ArchiveForm::ZipDeflated, kFiles);
  ArchiveReader limited(path.string(), 100000);
  EXPECT_NE(ErrorOf(limited, 2).find("larger than the memory limit"), std::string::npos);
  EXPECT_NE(ErrorOf(limited, 2).find("\xE8\xA1\xA8\xE7\xB4\x99.bmp"), std::string::npos);
  EXPECT_EQ(ErrorOf(limited, 1), "");

  const fs::path cut = temp.Path() / "cut.tar";
  testing::WriteArchive(cut, ArchiveForm::Tar, kFiles);
  fs::resize_file(cut, 512 * 2 + 70000 + 512 * 2);  // ends inside the third entry's header
  ArchiveReader damaged(cut.string(), 1 << 20);
  EXPECT_EQ(damaged.Entries().size(), 2u);
  EXPECT_EQ(ErrorOf(damaged, 1), "");

  const fs::path locked = temp.Path() / "locked.zip";
  testing::WriteArchive(locked, ArchiveForm::ZipEncrypted, kFiles);
  ArchiveReader encrypted(locked.string(), 1 << 20);
  ASSERT_EQ(encrypted.Entries().size(), kFiles.size());
  EXPECT_NE(ErrorOf(encrypted, 1).find("vol1/001.png\": it is encrypted"), std::string::npos);
}

// A ZIP name without the UTF-8 flag that is no valid UTF-8 (CP932 here, 0x5C trail bytes and
// all) gives the same front-end text as its flagged UTF-8 twin, on either system: as its bytes
// under the C locale of POSIX, converted through the ANSI code page on Windows.
TEST(ArchiveReader, UnflaggedNamesComeAsTheirBytes) {
  testing::TempFolder temp;
  const fs::path path = temp.Path() / "sj.zip";
  const std::string sjis = "\x95\x5C\x8E\x86\x83\x5C.jpg";  // 表紙ソ.jpg in CP932
  testing::WriteUnflaggedZip(path, {{sjis, "x"}});
  ArchiveReader reader(path.string(), 1 << 20);
  ASSERT_EQ(reader.Entries().size(), 1u);
  const ArchiveEntry& entry = reader.Entries()[0];
  EXPECT_EQ(InnerNameText(entry.name, entry.nameIsUtf8, PathStyle::Windows), sjis);
  EXPECT_EQ(InnerNameText(entry.name, entry.nameIsUtf8, PathStyle::Posix),
            "\xE8\xA1\xA8\xE7\xB4\x99\xE3\x82\xBD.jpg");
}

}  // namespace
}  // namespace tamsolo
