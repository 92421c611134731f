// How soon a convert run stops after an interrupt, wherever in a very large image it comes.
// Each run is stopped at a fraction of the time it takes uninterrupted (so the stop lands in
// the file read, the decode, the job's scaling or the page writes), and the time from the stop
// to RunConvert's return is the figure, held against a target of 200 ms. The counter
// latency_ms is the longest of the runs; fraction_pct says where the stop came, ended_first
// how many runs ended before it (timing varies; they give no figure). SignalLatency does the
// same for the built program under a real signal, in commands besides convert: plan over
// many files, preview of a book of many pages, and a write blocked on a full FIFO.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/convert_run.h"
#include "platform/file_system.h"
#include "image/png_writer.h"
#include "support/child_process_posix.h"
#include "support/jpeg_encoder.h"
#include "support/sample_images.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kTargetMs = 200;

struct BenchFolder {
  BenchFolder() {
    path = fs::temp_directory_path() / ("tamsolo-interrupt-bench-" + std::to_string(::getpid()));
    fs::create_directories(path);
  }
  ~BenchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

const fs::path& Folder() {
  static BenchFolder folder;
  return folder.path;
}

// A 24-bit bottom-up BMP written row by row.
void WriteBmp(const fs::path& path, int width, int height) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> header(54);
  const auto put = [&](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
      header[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  header[0] = 'B';
  header[1] = 'M';
  put(10, 54);
  put(14, 40);
  put(18, static_cast<uint32_t>(width));
  put(22, static_cast<uint32_t>(height));
  header[26] = 1;
  header[28] = 24;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(header.data()), 54);
  std::vector<char> row(stride);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        row[3 * x + c] = static_cast<char>(testing::LargeImageShade(x, y, 2 - c));
    out.write(row.data(), stride);
  }
}

void WritePng(const fs::path& path, int width, int height) {
  RawPng image;
  image.width = static_cast<uint32_t>(width);
  image.height = static_cast<uint32_t>(height);
  image.sample = [](uint32_t x, uint32_t y, int c) -> uint16_t {
    return testing::LargeImageShade(static_cast<int>(x), static_cast<int>(y), c);
  };
  const std::vector<uint8_t> bytes = MakePng(image);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// One folder per kind of image, each holding one very large image, made once.
fs::path Input(int kind) {
  static std::map<int, fs::path> made;
  if (made.count(kind))
    return made[kind];
  const fs::path folder = Folder() / ("in" + std::to_string(kind)) / "vol";
  fs::create_directories(folder);
  switch (kind) {
    case 0:
      testing::WriteLargeJpeg(folder / "gray.jpg", 8000, 12000, true);
      break;
    case 1:
      testing::WriteLargeJpeg(folder / "colour.jpg", 12000, 16000, false);
      break;
    case 2:
      WritePng(folder / "colour.png", 8000, 12000);
      break;
    case 3:
      testing::WriteLargeJpeg(folder / "progressive.jpg", 8000, 12000, false, true);
      break;
    default:
      WriteBmp(folder / "colour.bmp", 10000, 10000);
  }
  return made[kind] = folder.parent_path();
}

// Runs a convert of the kind's folder, stopped after delay (never, when negative); returns the
// time from the stop to the end, or the whole run's time when not stopped.
double RunStoppedAfter(int kind, double delayMs) {
  static int runs = 0;
  ConvertRunOptions options;
  options.paths = {Input(kind).string()};
  options.booksFolder = (Folder() / ("out" + std::to_string(++runs))).string();
  options.quiet = true;
  const std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
  std::ostringstream summary, progress;
  std::atomic<bool> interrupted{false};
  Clock::time_point stoppedAt{};
  std::thread stopper;
  const Clock::time_point start = Clock::now();
  if (delayMs >= 0) {
    stopper = std::thread([&] {
      std::this_thread::sleep_until(start + std::chrono::duration<double, std::milli>(delayMs));
      stoppedAt = Clock::now();
      interrupted = true;
    });
  }
  RunConvert(options, *files, summary, progress, interrupted);
  const Clock::time_point end = Clock::now();
  if (stopper.joinable())
    stopper.join();
  fs::remove_all(options.booksFolder);
  if (delayMs >= 0 && stoppedAt > end)
    return -1;  // the run ended before the stop came
  return std::chrono::duration<double, std::milli>(end - (delayMs >= 0 ? stoppedAt : start))
      .count();
}

double UninterruptedMs(int kind) {
  static std::map<int, double> times;
  if (!times.count(kind))
    times[kind] = RunStoppedAfter(kind, -1);
  return times[kind];
}

void StopLatency(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  const double fraction = static_cast<double>(state.range(1)) / 100;
  const double whole = UninterruptedMs(kind);
  double worst = 0;
  int finishedFirst = 0;
  for (auto _ : state) {
    const double latency = RunStoppedAfter(kind, whole * fraction);
    finishedFirst += latency < 0 ? 1 : 0;
    worst = std::max(worst, latency);
    state.SetIterationTime(std::max(latency, 0.0) / 1000);
  }
  state.counters["run_ms"] = whole;
  state.counters["ended_first"] = finishedFirst;
  state.counters["fraction_pct"] = static_cast<double>(state.range(1));
  state.counters["latency_ms"] = worst;
  state.counters["within_target"] = worst <= kTargetMs ? 1 : 0;
  static const char* const kNames[] = {"gray JPEG 8000x12000", "colour JPEG 12000x16000",
                                       "PNG 8000x12000", "progressive JPEG 8000x12000",
                                       "BMP 10000x10000"};
  state.SetLabel(kNames[kind]);
}

BENCHMARK(StopLatency)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {5, 25, 50, 70, 85, 95}})
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The built program, for the signal latencies.
enum class Command { Convert, Plan, Preview, BlockedWrite };

// What each command is run on, made once: many small scans, and the book they give.
const fs::path& Scans() {
  static const fs::path kScans = [] {
    const fs::path folder = Folder() / "scans" / "vol";
    for (int i = 0; i < 600; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "%03d.jpg", i);
      testing::WriteSampleFile(folder / name, 900, 1300, i);
    }
    return folder;
  }();
  return kScans;
}

const fs::path& ScansBook() {
  static const fs::path kBook = [] {
    const fs::path books = Folder() / "scanbooks";
    testing::ChildProcess child(TAMSOLO_CLI_PATH,
                                {{"convert", Scans().string(), "-o", books.string(), "--quiet"}});
    child.Wait();
    return books / "vol";
  }();
  return kBook;
}

std::vector<std::string> ArgsFor(Command command, const std::string& out) {
  switch (command) {
    case Command::Convert:
      return {"convert", Input(1).string(), "-o", out, "--quiet"};
    case Command::Plan:
      return {"plan", Scans().parent_path().string()};
    case Command::Preview:
      return {"preview", ScansBook().string(), "-o", out + ".png"};
    default:
      return {"decode", (Scans() / "000.jpg").string(), "-o", out};
  }
}

// Runs the command, signalled after delayMs (never, when negative), and returns the time from
// the signal to the end, or the whole run's time; -1 when it ended before the signal.
double RunSignalledAfter(Command command, double delayMs) {
  static int runs = 0;
  const std::string out = (Folder() / ("sig" + std::to_string(++runs))).string();
  int reader = -1;
  if (command == Command::BlockedWrite) {  // a reader that never reads: the write blocks
    ::mkfifo(out.c_str(), 0600);
    reader = ::open(out.c_str(), O_RDONLY | O_NONBLOCK);
  }
  const std::vector<std::string> args = ArgsFor(command, out);  // inputs made before the clock
  const Clock::time_point start = Clock::now();
  testing::ChildProcess child(TAMSOLO_CLI_PATH, {args});
  Clock::time_point signalled = start;
  if (delayMs >= 0) {
    std::this_thread::sleep_until(start + std::chrono::duration<double, std::milli>(delayMs));
    signalled = Clock::now();
    child.Signal(SIGINT);
  }
  const testing::ChildEnd end = child.Wait();
  const Clock::time_point ended = Clock::now();
  if (reader >= 0)
    ::close(reader);
  std::error_code ignored;
  fs::remove_all(out, ignored);
  fs::remove(out + ".png", ignored);
  fs::remove(out + ".txt", ignored);
  if (delayMs >= 0 && end.signal != SIGINT)
    return -1;
  return std::chrono::duration<double, std::milli>(ended - signalled).count();
}

void SignalLatency(benchmark::State& state) {
  const auto command = static_cast<Command>(state.range(0));
  const double fraction = static_cast<double>(state.range(1)) / 100;
  // A blocked write never ends by itself; its signal comes after a second.
  const double whole = command == Command::BlockedWrite ? 1000 : RunSignalledAfter(command, -1);
  double worst = 0;
  int finishedFirst = 0;
  for (auto _ : state) {
    const double latency = RunSignalledAfter(command, whole * fraction);
    finishedFirst += latency < 0 ? 1 : 0;
    worst = std::max(worst, latency);
    state.SetIterationTime(std::max(latency, 0.0) / 1000);
  }
  state.counters["run_ms"] = whole;
  state.counters["ended_first"] = finishedFirst;
  state.counters["latency_ms"] = worst;
  state.counters["within_target"] = worst <= kTargetMs ? 1 : 0;
  static const char* const kNames[] = {"convert, colour JPEG 12000x16000", "plan, 600 files",
                                       "preview, 600-page book", "decode into a full FIFO"};
  state.SetLabel(kNames[static_cast<int>(command)]);
}

BENCHMARK(SignalLatency)
    ->ArgsProduct({{0, 1, 2}, {25, 50, 85}})
    ->Args({3, 100})
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamsolo
