#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "cli/convert_command.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

class CliConvertTest : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& args) {
    static const CliCommand kCommands[] = {{"convert", kConvertUsageLine, RunConvertCommand}};
    out_.str("");
    err_.str("");
    return RunCommandLine(kCommands, args, out_, err_);
  }

  TempFolder temp_;
  std::ostringstream out_, err_;
};

TEST_F(CliConvertTest, UsageMistakesExitWithTwo) {
  const std::string out = temp_.File("out");
  EXPECT_EQ(Run({"convert", "-o", out}), kCliUsage);        // no PATH
  EXPECT_EQ(Run({"convert", temp_.File("x")}), kCliUsage);  // no -o
  EXPECT_EQ(Run({"convert", temp_.File("x"), "-o", out, "--filter", "Sinc"}), kCliUsage);
  EXPECT_EQ(Run({"convert", temp_.File("x"), "-o", out, "--loud"}), kCliUsage);
  EXPECT_NE(err_.str().find("usage: tamsolo-cli convert PATH... -o OUTDIR"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(CliConvertTest, QuietRunWritesOnlyTheSummaryAndReportsUnusablePaths) {
  const fs::path vol = temp_.Path() / "scans" / "vol1";
  testing::WriteSampleFile(vol / "a.jpg", 768, 1008, 1);
  std::ofstream(vol / "notes.txt") << "x";
  const std::string books = temp_.File("books");
  EXPECT_EQ(Run({"convert", "--quiet", vol.string() + "/", "-o", books, "--filter", "box"}), kCliOk)
      << out_.str() << err_.str();
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(out_.str().rfind("books: 1\npages: 1\nblank pages: 0\n", 0), 0u) << out_.str();
  EXPECT_TRUE(fs::exists(fs::path(books) / "vol1" / "0001_a.bmp"));

  EXPECT_EQ(Run({"convert", "-o", books, (vol / "notes.txt").string(), temp_.File("nothing")}),
            kCliPartial);
  EXPECT_NE(out_.str().find("notes.txt: not a .jpg"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("nothing: no such file or folder"), std::string::npos);
}

}  // namespace
}  // namespace tamsolo
