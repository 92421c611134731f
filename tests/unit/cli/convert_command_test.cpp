#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/exit_codes.h"
#include "support/cli/cli_runner.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

class CliConvertTest : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& args) {
    last_ = testing::RunCli(args);
    return last_.status;
  }

  TempFolder temp_;
  testing::CliOutcome last_;
};

TEST_F(CliConvertTest, UsageMistakesExitWithTwo) {
  const std::string out = temp_.File("out");
  EXPECT_EQ(Run({"convert", "-o", out}), kCliUsage);        // no PATH
  EXPECT_EQ(Run({"convert", temp_.File("x")}), kCliUsage);  // no -o
  EXPECT_EQ(Run({"convert", temp_.File("x"), "-o", out, "--filter", "Sinc"}), kCliUsage);
  EXPECT_EQ(Run({"convert", temp_.File("x"), "-o", out, "--loud"}), kCliUsage);
  EXPECT_NE(last_.err.find("usage: tamsolo-cli convert PATH... -o OUTDIR"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(CliConvertTest, QuietRunWritesOnlyTheSummaryAndReportsUnusablePaths) {
  const fs::path vol = temp_.Path() / "scans" / "vol1";
  testing::WriteSampleFile(vol / "a.jpg", 768, 1008, 1);
  std::ofstream(vol / "notes.txt") << "x";
  const std::string books = temp_.File("books");
  EXPECT_EQ(Run({"convert", "--quiet", vol.string() + "/", "-o", books, "--filter", "box"}), kCliOk)
      << last_.out << last_.err;
  EXPECT_EQ(last_.err, "");
  EXPECT_EQ(last_.out.rfind("books: 1\npages: 1\nblank pages: 0\n", 0), 0u) << last_.out;
  EXPECT_TRUE(fs::exists(fs::path(books) / "vol1" / "0001_a.bmp"));

  EXPECT_EQ(Run({"convert", "-o", books, (vol / "notes.txt").string(), temp_.File("nothing")}),
            kCliPartial);
  EXPECT_NE(last_.out.find("notes.txt: not a .jpg"), std::string::npos) << last_.out;
  EXPECT_NE(last_.out.find("nothing: no such file or folder"), std::string::npos);
}

}  // namespace
}  // namespace tamsolo
