#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "cli/exit_codes.h"
#include "platform/file_bytes.h"
#include "support/cli/cli_runner.h"
#include "support/rgb_image_maker.h"
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

// A lossless WebP of an RGB image gives the pages of the same image as an RGB PNG. With
// --no-archives it is left out as before WebP was read, and pages decodes it as a JPEG.
TEST(CliConvertTest, ALosslessWebpGivesTheRgbPngsPagesUnlessSwitchedOff) {
  testing::TempFolder temp;
  const RgbImage image = testing::MakeRgbImage(1400, 1050, [](int x, int y) {
    return testing::Rgb{uint8_t(x / 6), uint8_t(y / 5), uint8_t((x + y) % 251)};
  });
  std::map<std::string, std::vector<uint8_t>> pages[2];
  for (const std::string format : {"png", "webp"}) {
    fs::create_directories(temp.Path() / format);
    testing::WriteImageFile(temp.File(format + "/s." + format), image,
                            testing::SampleFormatFor("." + format));
    const std::string books = temp.File("books-" + format);
    ASSERT_EQ(RunCli({"convert", "--quiet", temp.File(format), "-o", books}).status, kCliOk);
    for (const fs::directory_entry& page : fs::directory_iterator(fs::path(books) / format)) {
      if (page.path().extension() == ".bmp")
        pages[format == "webp"][page.path().filename().string()] =
            ReadWholeFile(page.path().string(), 1 << 20);
    }
  }
  EXPECT_EQ(pages[0].size(), 2u);
  EXPECT_TRUE(pages[0] == pages[1]);
  const std::string webp = temp.File("webp/s.webp");
  const testing::CliOutcome off = RunCli({"convert", webp, "-o", temp.File("x"), "--no-archives"});
  EXPECT_NE(off.out.find("s.webp: not a .jpg, .jpeg, .png or .bmp file"), std::string::npos);
  const testing::CliOutcome pagesOff =
      RunCli({"pages", webp, "-o", temp.File("y"), "--no-archives"});
  EXPECT_NE(pagesOff.out.find("no page: JPEG decoding failed"), std::string::npos) << pagesOff.out;
}

}  // namespace
}  // namespace tamsolo
