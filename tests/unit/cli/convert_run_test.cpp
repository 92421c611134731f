#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/run_folder_name.h"
#include "cli/convert_run.h"
#include "cli/exit_codes.h"
#include "support/forwarding_file_system.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

class ConvertRunTest : public ::testing::Test {
 protected:
  // A temp folder of the test's own, so that "nothing left behind" can be checked.
  ConvertRunTest() {
    fs_.temp = (temp_.Path() / "tmp" / "").string();
    fs::create_directories(temp_.Path() / "tmp");
    options_.booksFolder = temp_.File("books");
    options_.filterIndex = 0;  // Box
  }

  std::string Native(const std::string& relative) const {
    return (temp_.Path() / relative).make_preferred().string();
  }

  std::string Source(const std::string& relative, int pages) {
    return testing::WriteSampleFile(temp_.Path() / "src" / relative, 768 * pages, 1008, 3);
  }

  int Run(bool interrupt = false) {
    std::atomic<bool> interrupted{interrupt};
    return RunConvert(options_, fs_, summary_, progress_, interrupted);
  }

  bool TmpIsEmpty() const { return fs::is_empty(temp_.Path() / "tmp"); }

  TempFolder temp_;
  testing::ForwardingFileSystem fs_;
  ConvertRunOptions options_;
  std::ostringstream summary_, progress_;
};

TEST_F(ConvertRunTest, BuildsOneFolderPerBookAndLeavesNothingBehind) {
  Source("vol1/a.jpg", 1);
  Source("vol1/b.bmp", 2);
  Source("vol2/c.jpg", 3);
  options_.paths = {temp_.File("src")};
  EXPECT_EQ(Run(), kCliOk) << summary_.str() << progress_.str();
  const fs::path vol1 = temp_.Path() / "books" / "vol1";
  EXPECT_EQ(testing::ReadFileText(vol1 / "book.txt"),
            "title: vol1\nauthor: Tamsolo\nstatus: complete\npage: PGXblnk1.bmp\tblank\n"
            "page: a.bmp\ta.jpg\t1/1\npage: b-1.bmp\tb.bmp\t1/2\npage: b-2.bmp\tb.bmp\t2/2\n");
  EXPECT_TRUE(fs::exists(vol1 / "0003_b-1.bmp"));
  EXPECT_TRUE(fs::exists(temp_.Path() / "books" / "vol2" / "0004_c-3.bmp"));
  const std::string summary = summary_.str();
  EXPECT_EQ(summary.rfind("books: 2\npages: 6\nblank pages: 2\n", 0), 0u) << summary;
  EXPECT_NE(summary.find(vol1.string()), std::string::npos);
  // Plain progress lines when not on a terminal.
  const std::string line = std::string("[1/3] vol1") + PathDelimiter(NativePathStyle()) + "a.jpg\n";
  EXPECT_NE(progress_.str().find(line), std::string::npos) << progress_.str();
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(ConvertRunTest, FilesWithoutPagesAreReportedAndMakeTheRunIncomplete) {
  Source("vol1/a.jpg", 1);
  std::ofstream(temp_.Path() / "src" / "vol1" / "broken.png") << "nothing";
  const std::string narrow =
      testing::WriteSampleFile(temp_.Path() / "src" / "vol1" / "narrow.bmp", 300, 1008, 1);
  options_.paths = {temp_.File("src/vol1/../vol1/.")};
  options_.quiet = true;
  EXPECT_EQ(Run(), kCliPartial);
  const std::string summary = summary_.str();
  EXPECT_NE(summary.find("no page from " + Native("src/vol1/broken.png") + ": "), std::string::npos)
      << summary;
  EXPECT_NE(summary.find("no page from " + narrow + ": "), std::string::npos) << summary;
  EXPECT_EQ(progress_.str(), "");  // quiet silences only the progress
  EXPECT_TRUE(fs::exists(temp_.Path() / "books" / "vol1" / "0001_a.bmp"));
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(ConvertRunTest, InterruptAndFatalErrorsStillCleanUp) {
  Source("vol1/a.jpg", 1);
  options_.paths = {temp_.File("src")};
  EXPECT_EQ(Run(/*interrupt=*/true), kCliInterrupted);
  EXPECT_FALSE(fs::exists(temp_.Path() / "books" / "vol1"));
  EXPECT_TRUE(TmpIsEmpty());

  std::ofstream(temp_.Path() / "file") << "x";
  options_.booksFolder = temp_.File("file/books");
  EXPECT_EQ(Run(), kCliFatal);
  EXPECT_TRUE(TmpIsEmpty());
}

}  // namespace
}  // namespace tamsolo
