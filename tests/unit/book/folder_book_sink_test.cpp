#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "book/folder_book_sink.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using testing::FolderNames;
using testing::ReadFileText;
using testing::TempFolder;

const PathStyle kNative = NativePathStyle();
std::string K(const std::string& folder) {
  return folder + PathDelimiter(kNative);
}

class FolderSinkTest : public ::testing::Test {
 protected:
  FolderSinkTest()
      : fs_(MakeNativeFileSystem()),
        sink_(*fs_, temp_.File("out"), {".tamsolo-cli-book-", "tamsolo-cli.lock"}, kNative) {
    fs::create_directories(temp_.Path() / "out");
    fs::create_directories(temp_.Path() / "work");
    sink_.OnBookWritten([this](const std::string& folder) { written_.push_back(folder); });
  }
  void Page(const std::string& name, const std::string& content) {
    std::ofstream(temp_.Path() / "work" / name, std::ios::binary) << content;
  }
  void Build(const std::string& key, const Names& pages) {
    sink_.BuildBook(key, pages, temp_.File("work"));
  }

  TempFolder temp_;
  std::unique_ptr<FileSystem> fs_;
  FolderBookSink sink_;
  Names written_;  // told by the sink, complete books only
};

TEST_F(FolderSinkTest, CopiesPagesInBookOrderAndDescribesTheBook) {
  Page("b.bmp", "B");
  Page("PGXblnk1.bmp", "blank");
  Build(K("vol1"), {"PGXblnk1.bmp", "b.bmp"});
  const fs::path book = temp_.Path() / "out" / "vol1";
  EXPECT_EQ(FolderNames(book), (Names{"0001_PGXblnk1.bmp", "0002_b.bmp", "book.txt"}));
  EXPECT_EQ(ReadFileText(book / "0002_b.bmp"), "B");
  EXPECT_EQ(ReadFileText(book / "book.txt"),
            "title: vol1\nauthor: Tamsolo\nstatus: complete\npage: PGXblnk1.bmp\npage: b.bmp\n");
  // The work files stay: deleting them is the scheduler's business.
  EXPECT_TRUE(fs::exists(temp_.Path() / "work" / "b.bmp"));
  EXPECT_EQ(written_, (Names{book.string()}));
}

// What the scheduler hands over: each page's source, or a blank. What the owner adds once the
// book is filled (the preview) appears with the book, never in a folder of its own.
TEST_F(FolderSinkTest, BookTextSaysWhereEachPageComesFromAndTheOwnersFilesComeWithIt) {
  Page("PGXblnk1.bmp", "");
  Page("b-1.bmp", "");
  Page("b-2.bmp", "");
  sink_.OnBookFilled([this](const std::string& folder, const BookText& book) {
    EXPECT_TRUE(written_.empty());
    std::ofstream(fs::path(folder) / "extra.txt") << book.pages.size();
  });
  const std::vector<PageOrigin> origins = {
      {}, {(temp_.Path() / "src" / "vol1" / "b.jpg").string(), 1, 2, {}}, {"b.jpg", 2, 2, {}}};
  sink_.BuildBookWithOrigins(K("vol1"), {"PGXblnk1.bmp", "b-1.bmp", "b-2.bmp"}, origins,
                             temp_.File("work"));
  const fs::path book = temp_.Path() / "out" / "vol1";
  EXPECT_EQ(ReadFileText(book / "book.txt"),
            "title: vol1\nauthor: Tamsolo\nstatus: complete\npage: PGXblnk1.bmp\tblank\n"
            "page: b-1.bmp\tb.jpg\t1/2\npage: b-2.bmp\tb.jpg\t2/2\n");
  EXPECT_EQ(FolderNames(book),
            (Names{"0001_PGXblnk1.bmp", "0002_b-1.bmp", "0003_b-2.bmp", "book.txt", "extra.txt"}));
  EXPECT_EQ(ReadFileText(book / "extra.txt"), "3");
}

TEST_F(FolderSinkTest, NeverWritesIntoAFolderThatExists) {
  Page("a.bmp", "A");
  fs::create_directories(temp_.Path() / "out" / "vol1");
  std::ofstream(temp_.Path() / "out" / "vol1" / "mine.txt") << "keep";
  Build(K("vol1"), {"a.bmp"});
  Build(K("vol1"), {"a.bmp"});
  EXPECT_EQ(FolderNames(temp_.Path() / "out"), (Names{"vol1", "vol1 (2)", "vol1 (3)"}));
  EXPECT_EQ(FolderNames(temp_.Path() / "out" / "vol1"), (Names{"mine.txt"}));
}

TEST_F(FolderSinkTest, UnusableTitlesBecomeUntitledAndEmptyBooksMakeNoFolder) {
  Page("a.bmp", "A");
  Build(K(""), {"a.bmp"});
  Build(K("vol2"), {});
  EXPECT_EQ(FolderNames(temp_.Path() / "out"), (Names{"_untitled"}));
  EXPECT_EQ(ReadFileText(temp_.Path() / "out" / "_untitled" / "book.txt"),
            "title: \nauthor: Tamsolo\nstatus: complete\npage: a.bmp\n");
  for (const char* title : {"", ".", ".."})
    EXPECT_EQ(BookFolderName(title, kNative), "_untitled");
  EXPECT_EQ(BookFolderName("a:b", PathStyle::Windows), "_untitled");
  EXPECT_EQ(BookFolderName("\x83\x5c", PathStyle::Windows), "\x83\x5c");  // ソ is no delimiter
}

TEST_F(FolderSinkTest, NumbersGrowPastFourDigitsOnlyForHugeBooks) {
  EXPECT_EQ(NumberedPageName(7, 9999, "p.bmp", 255, kNative), "0007_p.bmp");
  EXPECT_EQ(NumberedPageName(7, 10000, "p.bmp", 255, kNative), "00007_p.bmp");
  EXPECT_EQ(NumberedPageName(10000, 10000, "p.bmp", 255, kNative), "10000_p.bmp");
  EXPECT_EQ(NumberedPageName(7, 9999, "abcdefgh-1.bmp", 12, kNative), "0007_abc.bmp");
}

// Windows limits the whole path to MAX_PATH: a long title leaves room for a short page in its
// folder, a " (2)" cuts the title again, and the page copies fit beside the longer of the
// folder's first name and its hidden one, wherever the book lands.
TEST(BookFolderPlan, WindowsPathsStayWithinMaxPath) {
  const PathStyle win = PathStyle::Windows;
  std::string title, taken, second;
  for (int i = 0; i < 120; ++i)
    title += "\x95\x5c";  // 表: its trail byte is "\"
  taken = title.substr(0, 238);
  second = title.substr(0, 234) + " (2)";
  const std::string parent = "C:\\books\\";
  const BookFolderPlan plan = PlanBookFolder(
      parent, title, 53, [&](const std::string& path) { return path == parent + taken; }, win);
  EXPECT_EQ(plan.firstCandidate, 2);
  EXPECT_EQ(plan.nameRoom, 238u);  // 9 + 238 + "\" + "0001_p.bmp" + NUL = 260
  EXPECT_EQ(plan.pageRoom, 11u);
  EXPECT_EQ(BookFolderCandidate(title, 2, plan.nameRoom, win), second);
  EXPECT_EQ(BookFolderCandidate(title, 3, plan.nameRoom, win), title.substr(0, 234) + " (3)");
  EXPECT_EQ(NumberedPageName(1, 2, std::string(200, 'p') + "-1.bmp", plan.pageRoom, win),
            "0001_pp.bmp");
  // A short title keeps room for the hidden folder's name, so its suffixes are not cut.
  const BookFolderPlan shortTitle = PlanBookFolder(
      parent, "vol1", 53, [](const std::string&) { return false; }, win);
  EXPECT_EQ(shortTitle.nameRoom, 53u);
  EXPECT_EQ(BookFolderCandidate("vol1", 12, shortTitle.nameRoom, win), "vol1 (12)");
}

TEST_F(FolderSinkTest, AFailedCopyLeavesNoHalfBook) {
  Page("a.bmp", "A");
  EXPECT_THROW(Build(K("vol1"), {"a.bmp", "missing.bmp"}), Error);
  EXPECT_TRUE(FolderNames(temp_.Path() / "out").empty());
  EXPECT_TRUE(written_.empty());
}

}  // namespace
}  // namespace tamsolo
