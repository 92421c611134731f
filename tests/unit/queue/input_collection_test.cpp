#include "queue/input_collection.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "queue/file_queue.h"
#include "support/fake_file_system.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

using Names = std::vector<std::string>;
using testing::FakeFileSystem;
using testing::TempFolder;

constexpr auto kWin = PathStyle::Windows;

TEST(AddPath, AcceptsTheFiveExtensionsInAnyCaseAndWebpOnlyWhenAsked) {
  FakeFileSystem fs;
  for (const char* name : {"a.jpg", "b.Jpeg", "c.PNG", "d.bMp", "e.jpe", "f.gif", "g.txt", "h",
                           "i.jpg.txt", "j.txt.JPG", "k.WebP", "l.webp.txt"}) {
    fs.AddFile(std::string("C:\\v\\") + name);
  }
  const Names classic = {"C:\\v\\a.jpg", "C:\\v\\b.Jpeg", "C:\\v\\c.PNG", "C:\\v\\d.bMp",
                         "C:\\v\\j.txt.JPG"};
  WalkOptions before;
  before.inputs = InputSet::Classic;
  FileQueue old(kWin);
  EXPECT_EQ(AddPath(fs, old, "C:\\v", before), 5u);
  EXPECT_EQ(AddPath(fs, old, "C:\\v\\k.WebP", before), 0u);
  EXPECT_EQ(old.Paths(), classic);
  FileQueue queue(kWin);
  EXPECT_EQ(AddPath(fs, queue, "C:\\v"), 6u);
  EXPECT_EQ(queue.Paths(), (Names{"C:\\v\\a.jpg", "C:\\v\\b.Jpeg", "C:\\v\\c.PNG", "C:\\v\\d.bMp",
                                  "C:\\v\\j.txt.JPG", "C:\\v\\k.WebP"}));
  EXPECT_EQ(AddPath(fs, queue, "C:\\v\\a.jpg"), 1u);  // dropped twice, queued twice
  EXPECT_EQ(AddPath(fs, queue, "C:\\v\\missing.jpg"), 0u);
  EXPECT_EQ(AddPath(fs, queue, "C:\\v\\g.txt"), 0u);
  EXPECT_EQ(queue.Count(), 7u);
}

TEST(AddPath, WalksEveryDepthAndSkipsUnreadableFolders) {
  FakeFileSystem fs;
  fs.AddFile("C:\\d\\z.jpg");
  fs.AddFile("C:\\d\\s\\t\\deep.png");
  fs.AddFile("C:\\d\\locked\\x.jpg");
  fs.MakeUnreadable("C:\\d\\locked");
  fs.AddFile("C:\\root.jpg");
  FileQueue queue(kWin);
  EXPECT_EQ(AddPath(fs, queue, "C:\\d\\"), 2u);
  EXPECT_EQ(AddPath(fs, queue, "C:\\root.jpg"), 1u);
  EXPECT_EQ(queue.Paths(), (Names{"C:\\d\\s\\t\\deep.png", "C:\\d\\z.jpg", "C:\\root.jpg"}));
}

TEST(AddPath, FolderLinksBackIntoTheWalkDoNotLoop) {
  FakeFileSystem fs;
  fs.AddFile("C:\\a\\p.jpg");
  fs.AddFile("C:\\a\\b\\q.jpg");
  fs.AddFolderLink("C:\\a\\b\\up", "C:\\a");       // back to an ancestor
  fs.AddFolderLink("C:\\a\\b\\self", "C:\\a\\b");  // to itself
  FileQueue queue(kWin);
  EXPECT_EQ(AddPath(fs, queue, "C:\\a"), 2u);
}

// Each level holds the next folder and a link to it: a drop walks every path (2^depth
// listings at the bottom), the command line's walk each folder once, and says which folders
// it could not read.
TEST(AddPath, FoldersReachedThroughManyLinksAreListedOncePerRun) {
  constexpr int kDepth = 18;
  FakeFileSystem fs;
  std::string folder = "C:\\d0";
  for (int level = 1; level <= kDepth; ++level) {
    const std::string next = "C:\\d" + std::to_string(level);
    fs.AddFolder(next);
    fs.AddFolderLink(folder + "\\link", next);
    fs.AddFolderLink(folder + "\\other", next);
    folder = next;
  }
  fs.AddFile(folder + "\\p.jpg");
  fs.AddFolder("C:\\d0\\locked");
  fs.MakeUnreadable("C:\\d0\\locked");
  std::set<std::string> walked;
  Names unreadable;
  WalkOptions once;
  once.walked = &walked;
  once.unreadable = [&](const std::string& path, const std::string&) {
    unreadable.push_back(path);
  };
  FileQueue queue(kWin);
  EXPECT_EQ(AddPath(fs, queue, "C:\\d0", once), 1u);
  EXPECT_EQ(AddPath(fs, queue, "C:\\d0\\link", once), 0u);
  EXPECT_EQ(fs.folderReads, kDepth + 2);
  EXPECT_EQ(unreadable, Names{"C:\\d0\\locked"});

  // A drop still walks every branch, within reason for the test: stop after a few levels.
  fs.folderReads = 0;
  int folders = 0;
  WalkOptions drop;
  drop.stop = [&] { return ++folders > 1000; };
  FileQueue dropped(kWin);
  AddPath(fs, dropped, "C:\\d0", drop);
  EXPECT_EQ(fs.folderReads, 1000);
}

TEST(AddPath, RealFoldersAndLinksBackIntoThem) {
  TempFolder temp;
  const auto& root = temp.Path();
  std::filesystem::create_directories(root / "vol1" / "sub");
  for (const char* name : {".hidden.jpg", "p1.JPG", "notes.txt"})
    std::ofstream(root / "vol1" / name) << "x";
  std::ofstream(root / "vol1" / "sub" / "q.png") << "x";
  auto fs = MakeNativeFileSystem();
  const PathStyle style = NativePathStyle();
  const std::string base = AddTrailingDelimiter((root / "vol1").string(), style);
  const std::string sub = AddTrailingDelimiter(base + "sub", style);
  FileQueue queue(style);
  EXPECT_EQ(AddPath(*fs, queue, (root / "vol1").string()), 3u);
  EXPECT_EQ(queue.Paths(), (Names{base + ".hidden.jpg", base + "p1.JPG", sub + "q.png"}));

  std::error_code noLinks;
  std::filesystem::create_directory_symlink(root / "vol1", root / "vol1" / "sub" / "loop", noLinks);
  if (noLinks)
    GTEST_SKIP() << "this system makes no folder links: " << noLinks.message();
  FileQueue again(style);
  EXPECT_EQ(AddPath(*fs, again, (root / "vol1").string()), 3u);
}

}  // namespace
}  // namespace tamsolo
