// plan against convert on one generated volume of scans: how long each takes with a warm
// cache, their ratio, and how many bytes plan reads per file against the files' sizes.
//   tamsolo_bench_plan [FILES]   (default 500)
// Most files are single pages of 1200 x 1600, every tenth a spread of 2400 x 1600 and every
// twenty-fifth a PNG; convert runs with --jobs 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "book/book_plan.h"
#include "support/cli/cli_runner.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace {

using namespace tamsolo;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

uintmax_t MakeVolume(const fs::path& root, int files) {
  uintmax_t bytes = 0;
  for (int i = 1; i <= files; ++i) {
    const fs::path folder = root / ("vol" + std::to_string((i - 1) / 100 + 1));
    fs::create_directories(folder);
    char name[32];
    std::snprintf(name, sizeof name, "%04d.%s", i, i % 25 == 0 ? "png" : "jpg");
    const fs::path path = folder / name;
    testing::WriteSampleFile(path, i % 10 ? 1200 : 2400, 1600, i);
    bytes += fs::file_size(path);
  }
  return bytes;
}

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

double Run(const std::vector<std::string>& args) {
  const auto start = Clock::now();
  const testing::CliOutcome outcome = testing::RunCli(args);
  const double seconds = Seconds(Clock::now() - start);
  if (outcome.status != 0) {
    std::fprintf(stderr, "%s failed (%d): %s%s\n", args[0].c_str(), outcome.status,
                 outcome.out.c_str(), outcome.err.c_str());
    std::exit(1);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 500;
  testing::TempFolder folder;
  const fs::path volume = folder.Path() / "volume";
  std::printf("making %d files...\n", files);
  const uintmax_t volumeBytes = MakeVolume(volume, files);

  Run({"plan", volume.string()});  // warms the cache
  constexpr int kPlanRuns = 5;
  double planSeconds = 0;
  for (int i = 0; i < kPlanRuns; ++i)
    planSeconds += Run({"plan", volume.string()}) / kPlanRuns;
  const BookPlan plan = MakeBookPlan({{volume.string()}, QueueOrder::Bytes, NativePathStyle()},
                                     *MakeNativeFileSystem());
  const double convertSeconds = Run({"convert", volume.string(), "-o",
                                     (folder.Path() / "books").string(), "--quiet", "--jobs", "1"});

  std::printf("files: %zu, %.0f kB each on average\n", plan.filesRead,
              static_cast<double>(volumeBytes) / files / 1024);
  std::printf("plan:    %8.3f s (mean of %d runs)\n", planSeconds, kPlanRuns);
  std::printf("convert: %8.3f s (--jobs 1)\n", convertSeconds);
  std::printf("plan / convert: 1/%.0f\n", convertSeconds / planSeconds);
  std::printf("bytes read per file by plan: %.0f (of %.0f)\n",
              static_cast<double>(plan.bytesRead) / plan.filesRead,
              static_cast<double>(volumeBytes) / files);
  return 0;
}
