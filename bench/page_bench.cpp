// The conversion job's steps after scaling, per source size: the gray mapping of every page
// of the scaled image, and copying and writing those pages. Reports milliseconds per image.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "page/page_fill.h"
#include "page/page_bitmap.h"
#include "page/page_image.h"
#include "page/page_layout.h"
#include "image/rgb_image.h"
#include "page/scaled_width.h"

namespace tamsolo {
namespace {

// A scaled image as the resampler would leave it for a width x height source.
RgbImage ScaledFor(int width, int height) {
  RgbImage scaled(static_cast<int>(ScaledWidth(width, height)), kScaledHeight);
  uint32_t noise = 12345;
  for (size_t i = 0; i < scaled.ByteSize(); ++i) {
    noise = noise * 1664525u + 1013904223u;
    scaled.Data()[i] = static_cast<uint8_t>(noise >> 24);
  }
  return scaled;
}

void GrayMapping(benchmark::State& state) {
  const RgbImage scaled =
      ScaledFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const PageLayout layout = LayoutPages(scaled.Width());
  PageImage page;
  for (auto _ : state) {
    for (int32_t v = 1; v <= layout.count; ++v) {
      SetUpPage(page);
      FillPage(scaled, FirstColumnOfPage(layout, v), page);
      benchmark::DoNotOptimize(page.PixelArray().data());
    }
  }
  state.counters["pages"] = layout.count;
}

void PageWriting(benchmark::State& state) {
  const RgbImage scaled =
      ScaledFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const PageLayout layout = LayoutPages(scaled.Width());
  const std::string path =
      (std::filesystem::temp_directory_path() / "tamsolo-page-bench.bmp").string();
  PageImage page = MakeWhitePage();
  PageBitmap copy;
  for (auto _ : state) {
    for (int32_t v = 1; v <= layout.count; ++v) {
      copy.Assign(page);
      copy.SaveToFile(path);
    }
  }
  std::remove(path.c_str());
}

BENCHMARK(GrayMapping)
    ->Args({1200, 1700})
    ->Args({2400, 3400})
    ->Args({4800, 3400})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PageWriting)
    ->Args({1200, 1700})
    ->Args({2400, 3400})
    ->Args({4800, 3400})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace tamsolo
