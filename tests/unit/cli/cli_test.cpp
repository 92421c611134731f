#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/file_bytes.h"
#include "support/cli/cli_runner.h"
#include "support/rgb_image_maker.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

using Outcome = testing::CliOutcome;
using testing::FolderNames;
using testing::Rgb;
using testing::RunCli;

// A 24-bit BMP whose pixel (x, y) is color(x, y).
void WriteBmp(const std::string& path, int width, int height,
              const std::function<Rgb(int, int)>& color) {
  testing::WriteImageFile(path, testing::MakeRgbImage(width, height, color),
                          testing::SampleFormat::Bmp);
}

Rgb Ramp(int x, int y) {
  return {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 90};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

TEST(CliDispatch, HelpVersionAndUsageErrors) {
  const Outcome help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("tamsolo-cli pages FILE... -o DIR"), std::string::npos);
  EXPECT_NE(help.out.find("\nfilters: 0=Box 1=Triangle 2=Hermite 3=Bell 4=B-Spline 5=Lanczos3 "
                          "6=Mitchell (default Lanczos3)\n"),
            std::string::npos)
      << help.out;
  const Outcome version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("tamsolo-cli ", 0), 0u);
  const std::vector<std::vector<std::string>> mistakes = {
      {},
      {"frobnicate"},
      {"pages", "a.jpg"},
      {"pages", "-o", "out"},
      {"pages", "a.jpg", "-o"},
      {"pages", "a.jpg", "-o", "out", "--bogus"},
      {"pages", "a.jpg", "-o", "out", "--filter", "Gauss"},
      {"decode", "a.jpg", "b.jpg", "-o", "x.ppm"},
  };
  for (const auto& args : mistakes) {
    const Outcome outcome = RunCli(args);
    EXPECT_EQ(outcome.status, 2) << outcome.err;
    EXPECT_EQ(Lines(outcome.err).size(), 1u) << outcome.err;
    EXPECT_NE(outcome.err.find("usage: tamsolo-cli "), std::string::npos);
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_EQ(
      RunCli({"pages", "a.jpg", "-o", "out", "--filter", "Gauss"}).err,
      "tamsolo-cli: unknown filter \"Gauss\" (Box, Triangle, Hermite, Bell, B-Spline, "
      "Lanczos3, Mitchell or 0..6); usage: tamsolo-cli pages FILE... -o DIR [--filter "
      "NAME|INDEX] [--memory-limit MIB] [--natural-order] [--no-archives] [--jobs N] [--memory "
      "SIZE] [--clean[=STEPS]]\n");
}

TEST(CliPages, EachFileGetsOneLineAndClashesAreNotOverwritten) {
  testing::TempFolder folder;
  std::filesystem::create_directory(folder.Path() / "a");
  std::filesystem::create_directory(folder.Path() / "b");
  WriteBmp(folder.File("a/scan.bmp"), 400, 400, Ramp);
  WriteBmp(folder.File("b/scan.bmp"), 400, 400, [](int, int) { return Rgb{0, 0, 0}; });
  WriteBmp(folder.File("wide.bmp"), 800, 600, Ramp);  // scaled to 1344: two pages
  WriteBmp(folder.File("narrow.bmp"), 100, 400, Ramp);
  std::ofstream(folder.File("bad.bmp")) << "not an image";
  const std::string out = folder.File("out");
  const Outcome outcome = RunCli({"pages", folder.File("a/scan.bmp"), folder.File("b/scan.bmp"),
                                  folder.File("wide.bmp"), folder.File("narrow.bmp"),
                                  folder.File("bad.bmp"), "-o", out, "--filter", "Box"});
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  const auto lines = Lines(outcome.out);
  ASSERT_EQ(lines.size(), 5u) << outcome.out;
  EXPECT_EQ(lines[0], folder.File("a/scan.bmp") + ": 1 page: scan.bmp");
  EXPECT_EQ(lines[1].rfind(folder.File("b/scan.bmp") + ": 1 page: scan_2.bmp;", 0), 0u);
  EXPECT_EQ(lines[2], folder.File("wide.bmp") + ": 2 pages: wide-1.bmp, wide-2.bmp");
  EXPECT_EQ(lines[3].rfind(folder.File("narrow.bmp") + ": no page: too narrow", 0), 0u);
  EXPECT_EQ(lines[4].rfind(folder.File("bad.bmp") + ": no page: ", 0), 0u);
  EXPECT_EQ(FolderNames(out),
            (std::vector<std::string>{"scan.bmp", "scan_2.bmp", "wide-1.bmp", "wide-2.bmp"}));
  // The first scan.bmp kept its own page: the second source is all black.
  const auto first = ReadWholeFile(folder.File("out/scan.bmp"), 1 << 20);
  const auto second = ReadWholeFile(folder.File("out/scan_2.bmp"), 1 << 20);
  ASSERT_EQ(first.size(), 393334u);
  EXPECT_NE(first, second);
  EXPECT_EQ(second[6262], 0x00);
}

// Any file without a page makes the run partial, wherever it stands among the files.
TEST(CliPages, ARejectedFileBeforeAGoodOneStillMakesTheRunPartial) {
  testing::TempFolder folder;
  WriteBmp(folder.File("good.bmp"), 400, 400, Ramp);
  std::ofstream(folder.File("bad.bmp")) << "not an image";
  for (const auto& order : {std::vector<std::string>{"bad.bmp", "good.bmp"},
                            std::vector<std::string>{"good.bmp", "bad.bmp"}}) {
    const Outcome outcome = RunCli({"pages", folder.File(order[0]), folder.File(order[1]), "-o",
                                    folder.File("out-" + order[0])});
    EXPECT_EQ(outcome.status, 1) << order[0] << outcome.out;
  }
}

TEST(CliPages, SucceedsIntoANewFolderAndFailsOnAnUnwritableOne) {
  testing::TempFolder folder;
  WriteBmp(folder.File("p.bmp"), 300, 400, Ramp);
  const Outcome made = RunCli({"pages", folder.File("p.bmp"), "-o", folder.File("new/deeper")});
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(FolderNames(folder.Path() / "new" / "deeper"), std::vector<std::string>{"p.bmp"});
  const Outcome blocked =
      RunCli({"pages", folder.File("p.bmp"), "-o", folder.File("p.bmp") + "/out"});
  EXPECT_EQ(blocked.status, 3);
  EXPECT_EQ(Lines(blocked.err).size(), 1u);
  EXPECT_EQ(blocked.out, "");
}

TEST(CliDecode, WritesBinaryPpmAndRejectsBadFiles) {
  testing::TempFolder folder;
  WriteBmp(folder.File("s.bmp"), 3, 2, [](int x, int y) {
    return Rgb{static_cast<uint8_t>(10 * x), static_cast<uint8_t>(100 + y), 200};
  });
  const Outcome good = RunCli({"decode", folder.File("s.bmp"), "-o", folder.File("s.ppm")});
  EXPECT_EQ(good.status, 0) << good.err;
  const auto ppm = ReadWholeFile(folder.File("s.ppm"), 1 << 20);
  const std::string header = "P6\n3 2\n255\n";
  ASSERT_EQ(ppm.size(), header.size() + 18);
  EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + header.size()), header);
  const std::vector<uint8_t> pixels(ppm.begin() + header.size(), ppm.end());
  EXPECT_EQ(pixels, (std::vector<uint8_t>{0, 100, 200, 10, 100, 200, 20, 100, 200,  //
                                          0, 101, 200, 10, 101, 200, 20, 101, 200}));
  std::ofstream(folder.File("bad.bmp")) << "BM but nothing else";
  const Outcome bad = RunCli({"decode", folder.File("bad.bmp"), "-o", folder.File("bad.ppm")});
  EXPECT_EQ(bad.status, 1);  // the file gave nothing; 3 is for a run that could not go on
  EXPECT_EQ(Lines(bad.err).size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(folder.File("bad.ppm")));
}

}  // namespace
}  // namespace tamsolo
