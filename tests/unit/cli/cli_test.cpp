#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/commands.h"
#include "cli/options.h"
#include "platform/file_bytes.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

using Rgb = std::array<uint8_t, 3>;

// A 24-bit bottom-up BMP, written field by field.
void WriteBmp(const std::string& path, int width, int height,
              const std::function<Rgb(int, int)>& color) {
  const int stride = (width * 3 + 3) / 4 * 4;
  std::string bytes(54 + static_cast<size_t>(stride) * height, '\0');
  auto put = [&](size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
      bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<uint32_t>(bytes.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = color(x, y);
      const size_t at = 54 + static_cast<size_t>(height - 1 - y) * stride + 3 * x;
      bytes[at] = static_cast<char>(c[2]);
      bytes[at + 1] = static_cast<char>(c[1]);
      bytes[at + 2] = static_cast<char>(c[0]);
    }
  }
  std::ofstream(path, std::ios::binary) << bytes;
}

Rgb Ramp(int x, int y) {
  return {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 90};
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunCli(std::vector<std::string> args) {
  static const CliCommand kCommands[] = {
      {"pages", "pages FILE... -o DIR [--filter NAME|INDEX]", RunPagesCommand},
      {"decode", "decode FILE -o OUT.ppm", RunDecodeCommand},
  };
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunCommandLine(kCommands, args, out, err);
  return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> FolderContents(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CliOptions, ParsesValuesFlagsAndPositionals) {
  const ParsedOptions parsed = ParseOptions({"a.jpg", "-o", "out", "--filter=Box", "--", "-b.jpg"},
                                            {{"-o", true}, {"--filter", true}, {"--quiet", false}});
  EXPECT_EQ(parsed.positional, (std::vector<std::string>{"a.jpg", "-b.jpg"}));
  EXPECT_EQ(parsed.Required("-o"), "out");
  EXPECT_EQ(FilterIndexOption(parsed), 0);
  EXPECT_FALSE(parsed.Has("--quiet"));
  EXPECT_THROW(parsed.Required("--quiet"), UsageError);
  for (std::vector<std::string> bad :
       {std::vector<std::string>{"-x"}, {"-o"}, {"-o", "a", "-o", "b"}, {"--quiet=1"}}) {
    EXPECT_THROW(ParseOptions(bad, {{"-o", true}, {"--quiet", false}}), UsageError) << bad[0];
  }
}

TEST(CliOptions, FiltersByNameOrIndex) {
  EXPECT_EQ(ParseFilterIndex("Box"), 0);
  EXPECT_EQ(ParseFilterIndex("b-spline"), 4);
  EXPECT_EQ(ParseFilterIndex("MITCHELL"), 6);
  EXPECT_EQ(ParseFilterIndex("3"), 3);
  EXPECT_EQ(FilterIndexOption(ParsedOptions{}), 5);
  for (const char* bad : {"7", "-1", "", "Gauss", "05"})
    EXPECT_THROW(ParseFilterIndex(bad), UsageError) << bad;
}

TEST(CliDispatch, HelpVersionAndUsageErrors) {
  const Outcome help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("tamsolo-cli pages FILE... -o DIR"), std::string::npos);
  EXPECT_NE(help.out.find("Lanczos3"), std::string::npos);
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
  EXPECT_EQ(FolderContents(out),
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
  EXPECT_EQ(FolderContents(folder.Path() / "new" / "deeper"), std::vector<std::string>{"p.bmp"});
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
