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
using testing::RunCli;

TEST(CliConvertTest, UsageMistakesExitWithTwo) {
  testing::TempFolder temp;
  const std::string in = temp.File("x"), out = temp.File("out");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"convert", "-o", out},
                                               {"convert", in},
                                               {"convert", in, "-o", out, "--filter", "Sinc"},
                                               {"convert", in, "-o", out, "--loud"}}) {
    const testing::CliOutcome outcome = RunCli(args);
    EXPECT_EQ(outcome.status, kCliUsage) << args.size();
    EXPECT_NE(outcome.err.find("usage: tamsolo-cli convert PATH... -o OUTDIR"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(out));
}

TEST(CliConvertTest, QuietRunWritesOnlyTheSummaryAndReportsUnusablePaths) {
  testing::TempFolder temp;
  const fs::path vol = temp.Path() / "scans" / "vol1";
  testing::WriteSampleFile(vol / "a.jpg", 768, 1008, 1);
  std::ofstream(vol / "notes.txt") << "x";
  const std::string books = temp.File("books");
  const testing::CliOutcome quiet =
      RunCli({"convert", "--quiet", vol.string() + "/", "-o", books, "--filter", "box"});
  EXPECT_EQ(quiet.status, kCliOk) << quiet.out << quiet.err;
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.out.rfind("books: 1\npages: 1\nblank pages: 0\n", 0), 0u) << quiet.out;
  EXPECT_TRUE(fs::exists(fs::path(books) / "vol1" / "0001_a.bmp"));

  const testing::CliOutcome unusable =
      RunCli({"convert", "-o", books, (vol / "notes.txt").string(), temp.File("nothing")});
  EXPECT_EQ(unusable.status, kCliPartial);
  EXPECT_NE(unusable.out.find("notes.txt: not a .jpg"), std::string::npos) << unusable.out;
  EXPECT_NE(unusable.out.find("nothing: no such file or folder"), std::string::npos);
}

}  // namespace
}  // namespace tamsolo
