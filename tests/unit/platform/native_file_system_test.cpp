#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "platform/error.h"
#include "platform/file_bytes.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "support/temp_folder.h"

// The same checks run against the POSIX calls natively and against the Win32 ANSI calls under
// Wine, so both implementations keep one contract.
namespace tamsolo {
namespace {

using Kind = FileSystem::Kind;

class NativeFileSystemTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& relative) const { return temp_.WithDelimiter() + relative; }
  std::string Join(const std::string& folder, const std::string& name) const {
    return AddTrailingDelimiter(folder, NativePathStyle()) + name;
  }
  void WriteFile(const std::string& path, const std::string& bytes) const {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& path) const {
    const std::vector<uint8_t> bytes = ReadWholeFile(path, 1 << 20);
    return std::string(bytes.begin(), bytes.end());
  }

  testing::TempFolder temp_;
  std::unique_ptr<FileSystem> fs_ = MakeNativeFileSystem();
};

TEST_F(NativeFileSystemTest, TellsFilesFoldersAndMissingPathsApart) {
  WriteFile(Path("a.jpg"), "x");
  fs_->CreateFolderExclusive(Path("sub"));
  EXPECT_EQ(fs_->KindOf(Path("a.jpg")), Kind::File);
  EXPECT_EQ(fs_->KindOf(Path("sub")), Kind::Folder);
  EXPECT_EQ(fs_->KindOf(Path("nothing")), Kind::Missing);
  EXPECT_EQ(fs_->KindOf(Join(Path("nothing"), "deeper")), Kind::Missing);
  EXPECT_EQ(fs_->KindOf(""), Kind::Missing);
}

TEST_F(NativeFileSystemTest, ListsEveryEntryWithoutDotEntries) {
  WriteFile(Path("b.png"), "x");
  WriteFile(Path(".hidden"), "x");
  WriteFile(Path("noextension"), "x");
  fs_->CreateFolderExclusive(Path("sub"));
  WriteFile(Join(Path("sub"), "inner.bmp"), "x");

  for (const std::string& folder : {temp_.WithDelimiter(), Path("sub") + "/../"}) {
    std::optional<std::vector<FileSystem::Entry>> entries = fs_->ListFolder(folder);
    ASSERT_TRUE(entries.has_value()) << folder;
    std::vector<std::pair<std::string, bool>> seen;
    for (const auto& entry : *entries)
      seen.emplace_back(entry.name, entry.isFolder);
    std::sort(seen.begin(), seen.end());
    const std::vector<std::pair<std::string, bool>> expected = {
        {".hidden", false}, {"b.png", false}, {"noextension", false}, {"sub", true}};
    EXPECT_EQ(seen, expected) << folder;
  }

  fs_->CreateFolderExclusive(Path("empty"));
  ASSERT_TRUE(fs_->ListFolder(Path("empty")).has_value());
  EXPECT_TRUE(fs_->ListFolder(Path("empty"))->empty());
  EXPECT_FALSE(fs_->ListFolder(Path("nothing")).has_value());
  EXPECT_FALSE(fs_->ListFolder(Path("b.png")).has_value());
}

TEST_F(NativeFileSystemTest, FolderIdentityFollowsTheFolderNotItsSpelling) {
  fs_->CreateFolders(Join(Path("one"), "two"));
  fs_->CreateFolderExclusive(Path("other"));
  WriteFile(Path("file"), "x");

  const std::optional<std::string> one = fs_->FolderIdentity(Path("one"));
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(fs_->FolderIdentity(Join(Join(Path("one"), "two"), "..")), one);
  EXPECT_EQ(fs_->FolderIdentity(Join(Path("one"), "")), one);
  EXPECT_NE(fs_->FolderIdentity(Path("other")), one);
  EXPECT_NE(fs_->FolderIdentity(Join(Path("one"), "two")), one);
  EXPECT_FALSE(fs_->FolderIdentity(Path("file")).has_value());
  EXPECT_FALSE(fs_->FolderIdentity(Path("nothing")).has_value());
}

TEST_F(NativeFileSystemTest, CreatesAndRemovesFolders) {
  const std::string deep = Join(Join(Path("x"), "y"), "z");
  fs_->CreateFolders(deep);
  EXPECT_EQ(fs_->KindOf(deep), Kind::Folder);
  fs_->CreateFolders(deep);  // already there: nothing to do
  fs_->CreateFolders(Join(deep, ""));
  fs_->CreateFolders(Path("p/q/r"));  // "/" divides folders on either system
  EXPECT_EQ(fs_->KindOf(Path("p/q/r")), Kind::Folder);

  EXPECT_THROW(fs_->CreateFolderExclusive(deep), SystemError);
  WriteFile(Path("file"), "x");
  EXPECT_THROW(fs_->CreateFolders(Join(Path("file"), "below")), SystemError);

  EXPECT_THROW(fs_->RemoveFolder(Join(Path("x"), "y")), SystemError);  // not empty
  fs_->RemoveFolder(deep);
  EXPECT_EQ(fs_->KindOf(deep), Kind::Missing);
  EXPECT_THROW(fs_->RemoveFolder(deep), SystemError);
}

// The books' pages: a second name that outlives the first, and nothing replaced.
TEST_F(NativeFileSystemTest, LinksOrCopiesWithoutReplacing) {
  const std::string bytes("page\0\xFF\x0D\x0A", 8);
  WriteFile(Path("work.bmp"), bytes);
  fs_->LinkOrCopyFile(Path("work.bmp"), Path("book.bmp"));
  EXPECT_TRUE(fs_->DeleteFile(Path("work.bmp")));
  EXPECT_EQ(ReadFile(Path("book.bmp")), bytes);

  WriteFile(Path("again.bmp"), "new");
  WriteFile(Path("kept.bmp"), "old");
  EXPECT_THROW(fs_->LinkOrCopyFile(Path("again.bmp"), Path("kept.bmp")), SystemError);
  EXPECT_EQ(ReadFile(Path("kept.bmp")), "old");
  EXPECT_THROW(fs_->LinkOrCopyFile(Path("missing.bmp"), Path("new.bmp")), SystemError);
  EXPECT_EQ(fs_->KindOf(Path("new.bmp")), Kind::Missing);
}

TEST_F(NativeFileSystemTest, CopiesWithoutReplacingAndDeletesFiles) {
  const std::string bytes("page\0\xFF\x0D\x0A", 8);
  WriteFile(Path("from.bmp"), bytes);
  fs_->CopyFile(Path("from.bmp"), Path("to.bmp"));
  EXPECT_EQ(ReadFile(Path("to.bmp")), bytes);

  WriteFile(Path("kept.bmp"), "old");
  try {
    fs_->CopyFile(Path("from.bmp"), Path("kept.bmp"));
    ADD_FAILURE() << "an existing file was replaced";
  } catch (const SystemError& error) {
    EXPECT_NE(error.Code(), 0);
  }
  EXPECT_EQ(ReadFile(Path("kept.bmp")), "old");
  EXPECT_THROW(fs_->CopyFile(Path("missing.bmp"), Path("new.bmp")), SystemError);
  EXPECT_EQ(fs_->KindOf(Path("new.bmp")), Kind::Missing);

  EXPECT_TRUE(fs_->DeleteFile(Path("to.bmp")));
  EXPECT_EQ(fs_->KindOf(Path("to.bmp")), Kind::Missing);
  EXPECT_FALSE(fs_->DeleteFile(Path("to.bmp")));
}

TEST_F(NativeFileSystemTest, TempFolderIsAnExistingFolderWithTrailingDelimiter) {
  const std::string temp = fs_->TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), PathDelimiter(NativePathStyle()));
  EXPECT_EQ(fs_->KindOf(temp), Kind::Folder);
}

// A whole file comes in pieces of a few MiB, with a call before each, so that a reader can be
// stopped part-way through a large file; what the call throws ends the read.
TEST_F(NativeFileSystemTest, ReadsAWholeFileInPiecesThatCanBeStopped) {
  std::string bytes(9 << 20, '\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(i * 13 + i / 4096);
  WriteFile(Path("big.bin"), bytes);
  int calls = 0;
  const std::vector<uint8_t> read = ReadWholeFile(Path("big.bin"), 16 << 20, [&] { ++calls; });
  EXPECT_TRUE(std::string(read.begin(), read.end()) == bytes);
  EXPECT_GE(calls, 2);
  EXPECT_THROW(ReadWholeFile(Path("big.bin"), 16 << 20,
                             [&, seen = 0]() mutable {
                               if (++seen == calls)
                                 throw Error("stopped");
                             }),
               Error);
  EXPECT_THROW(ReadWholeFile(Path("big.bin"), 8 << 20), Error);  // larger than allowed
}

}  // namespace
}  // namespace tamsolo
