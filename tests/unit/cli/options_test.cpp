#include "cli/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamsolo {
namespace {

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

// --clean takes a step list after it only when the next argument is one; a path stays a path.
TEST(CliOptions, CleanStepsAreAnOptionalValue) {
  const struct {
    std::vector<std::string> args;
    const char* steps;  // deskew, crop, levels as "dcl", "-" where off; "" for no clean-up
    size_t positional;
  } cases[] = {{{"a.jpg"}, "", 1},
               {{"--clean", "a.jpg"}, "dcl", 1},
               {{"--clean", "crop,levels", "a.jpg"}, "-cl", 1},
               {{"--clean=deskew"}, "d--", 0},
               {{"--clean", "crop,", "a.jpg"}, "dcl", 2},
               {{"a.jpg", "--clean", "levels,crop,deskew"}, "dcl", 1}};
  for (const auto& c : cases) {
    const ParsedOptions parsed = ParseOptions(c.args, {{"--clean", false, IsCleanStepList}});
    const std::optional<CleanSteps> steps = CleanOption(parsed);
    std::string got;
    if (steps)
      got = std::string{steps->deskew ? 'd' : '-', steps->crop ? 'c' : '-',
                        steps->levels ? 'l' : '-'};
    EXPECT_EQ(got, c.steps) << c.args[0];
    EXPECT_EQ(parsed.positional.size(), c.positional) << c.args[0];
  }
  for (const char* bad : {"crop,crop", "crop,", "Crop", "sharpen", ",levels"})
    EXPECT_THROW(ParseCleanSteps(bad), UsageError) << bad;
}

TEST(CliOptions, MemoryLimitInWholeMiB) {
  const auto limit = [](const std::string& value) {
    return MemoryLimitOption(ParseOptions({"--memory-limit", value}, {{"--memory-limit", true}}));
  };
  EXPECT_EQ(MemoryLimitOption(ParsedOptions{}), uint64_t{1} << 30);
  EXPECT_EQ(limit("64"), uint64_t{64} << 20);
  EXPECT_EQ(limit("1048576"), uint64_t{1} << 40);
  for (const char* bad : {"0", "", "-1", "+5", "1.5", "64M", "1048577", "99999999999999999999"})
    EXPECT_THROW(limit(bad), UsageError) << bad;
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

TEST(CliOptions, JobsAndMemory) {
  const struct {
    const char* text;
    uint64_t bytes;  // 0: a usage error
  } sizes[] = {{"100000", 100000},
               {"64k", 64u << 10},
               {"512M", 512u << 20},
               {"2G", uint64_t{2} << 30},
               {"2GiB", uint64_t{2} << 30},
               {"1TB", uint64_t{1} << 40},
               {"", 0},
               {"0", 0},
               {"G", 0},
               {"2X", 0},
               {"-1", 0},
               {"2GB2", 0},
               {"99999999999999999999", 0},
               {"17179869184T", 0}};
  for (const auto& size : sizes) {
    if (size.bytes == 0)
      EXPECT_THROW(ParseByteCount(size.text), UsageError) << size.text;
    else
      EXPECT_EQ(ParseByteCount(size.text), size.bytes) << size.text;
  }
  const auto parallel = [](std::vector<std::string> args) {
    return ParallelOptionsOf(ParseOptions(args, {{"--jobs", true}, {"--memory", true}}));
  };
  EXPECT_GE(parallel({}).jobs, 1);
  EXPECT_EQ(parallel({}).memoryBudget, uint64_t{2} << 30);
  EXPECT_EQ(parallel({"--jobs", "4", "--memory=1G"}).jobs, 4);
  EXPECT_EQ(parallel({"--jobs", "4", "--memory=1G"}).memoryBudget, uint64_t{1} << 30);
  for (const char* bad : {"0", "257", "x", "", "-2", "1.5"})
    EXPECT_THROW(parallel({"--jobs", bad}), UsageError) << bad;
}

}  // namespace
}  // namespace tamsolo
