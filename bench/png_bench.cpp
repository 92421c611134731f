// PNG decoding speed: our DecodePng against libpng on the same in-memory files, a 2400 x 3400
// RGB page and an 8-bit gray page, both made here. libpng reads with the transforms that give
// the same 8-bit RGB output (expand, strip 16, strip alpha, gray to RGB). Prints both times and
// our time as a multiple of libpng's.
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "decode/decoders.h"
#include "image/png_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kWidth = 2400;
constexpr uint32_t kHeight = 3400;

uint32_t Noise(uint32_t x, uint32_t y) {
  uint32_t h = x * 374761393u + y * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

// A scanned page: slightly uneven paper with grain, black panel borders, and panels of gray
// shading with fine noise, as scanners deliver.
uint8_t PageValue(uint32_t x, uint32_t y, int c) {
  const bool border = (x % 800 < 8) || (y % 1100 < 8);
  if (border)
    return static_cast<uint8_t>(10 + Noise(x, y) % 6);
  const bool panel = ((x / 800 + y / 1100) % 2) == 1;
  const int base =
      panel ? 90 + static_cast<int>((x + y) % 400) / 4 : 236 - static_cast<int>(y / 200);
  return static_cast<uint8_t>(base + static_cast<int>(Noise(x + 7919u * c, y) % 9) - 4);
}

Bytes MakePage(uint8_t colorType) {
  tamsolo::RawPng image;
  image.width = kWidth;
  image.height = kHeight;
  image.bitDepth = 8;
  image.colorType = colorType;
  image.sample = [](uint32_t x, uint32_t y, int c) -> uint16_t { return PageValue(x, y, c); };
  image.filter = [](int, uint32_t) { return tamsolo::kAdaptiveFilter; };
  return tamsolo::MakePng(image);
}

struct MemoryReader {
  const Bytes* file;
  size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->file->size() - reader->position)
    png_error(png, "read past the end");
  std::memcpy(out, reader->file->data() + reader->position, length);
  reader->position += length;
}

// libpng's decode into one RGB buffer; false on a libpng error.
bool DecodeWithLibpng(const Bytes& file, Bytes& rgb) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  MemoryReader reader{&file, 0};
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  rgb.resize(size_t{width} * height * 3);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y)
    rows[y] = rgb.data() + size_t{y} * width * 3;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

const Bytes& Page(uint8_t colorType) {
  static std::map<uint8_t, Bytes> pages;
  auto it = pages.find(colorType);
  if (it == pages.end())
    it = pages.emplace(colorType, MakePage(colorType)).first;
  return it->second;
}

void Ours(benchmark::State& state, uint8_t colorType) {
  const Bytes& file = Page(colorType);
  for (auto _ : state) {
    tamsolo::RgbImage image = tamsolo::DecodePng(file);
    benchmark::DoNotOptimize(image.Data());
  }
  state.counters["MB"] = static_cast<double>(file.size()) / 1e6;
}

void Libpng(benchmark::State& state, uint8_t colorType) {
  const Bytes& file = Page(colorType);
  Bytes rgb;
  for (auto _ : state) {
    if (!DecodeWithLibpng(file, rgb))
      state.SkipWithError("libpng failed");
    benchmark::DoNotOptimize(rgb.data());
  }
  state.counters["MB"] = static_cast<double>(file.size()) / 1e6;
}

BENCHMARK_CAPTURE(Ours, Rgb, uint8_t{2})->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Libpng, Rgb, uint8_t{2})->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Ours, Gray, uint8_t{0})->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Libpng, Gray, uint8_t{0})->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The console report, plus the time per run of each benchmark for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // CPU time: the machine is shared, and wall time counts other processes too.
      const std::string name = run.benchmark_name();
      if (run.run_type == Run::RT_Iteration && run.iterations > 0)
        seconds_[name.substr(0, name.find("/min_time"))] =
            run.cpu_accumulated_time / run.iterations;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio(const std::string& image) const {
    const auto ours = seconds_.find("Ours/" + image);
    const auto libpng = seconds_.find("Libpng/" + image);
    if (ours == seconds_.end() || libpng == seconds_.end())
      return;
    std::printf(
        "%-5s ours %.1f ms, libpng %.1f ms (CPU time per decode), ratio %.2f (target <= 1.20)\n",
        image.c_str(), ours->second * 1e3, libpng->second * 1e3, ours->second / libpng->second);
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // Make sure both decoders agree before timing them.
  for (uint8_t type : {uint8_t{2}, uint8_t{0}}) {
    Bytes reference;
    if (!DecodeWithLibpng(Page(type), reference))
      return 1;
    const tamsolo::RgbImage ours = tamsolo::DecodePng(Page(type));
    if (type == 2 && std::memcmp(ours.Data(), reference.data(), reference.size()) != 0) {
      std::fprintf(stderr, "RGB outputs differ\n");
      return 1;
    }
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("Rgb");
  reporter.PrintRatio("Gray");
  benchmark::Shutdown();
  return 0;
}
