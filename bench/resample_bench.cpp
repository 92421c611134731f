// ResampleImage alone: colour sources scaled to 1008 rows with Lanczos3, as the conversion
// job does. Reports milliseconds per image.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "resample/filters.h"
#include "resample/resample_passes.h"
#include "image/rgb_image.h"
#include "page/scaled_width.h"

namespace tamsolo {
namespace {

// Smooth gradients with some texture, so no filter path is favoured by flat data.
RgbImage ColourSource(int width, int height) {
  RgbImage image(width, height);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      row[3 * x] = static_cast<uint8_t>(x * 255 / width);
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / height);
      row[3 * x + 2] = static_cast<uint8_t>(noise >> 24);
    }
  }
  return image;
}

void Resample(benchmark::State& state, AccumulatePath path) {
  const RgbImage source =
      ColourSource(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const FilterEntry& filter = FilterTable[kDefaultFilterIndex];
  RgbImage scaled(static_cast<int>(ScaledWidth(source.Width(), source.Height())), 1008);
  for (auto _ : state) {
    ResampleImageUsing(path, source, scaled, filter.function, filter.support);
    benchmark::DoNotOptimize(scaled.Data());
  }
}

void ResampleTo1008Rows(benchmark::State& state) {
  Resample(state, Fma3Available() ? AccumulatePath::Fma3 : AccumulatePath::Emulated);
}

// The path taken on processors without FMA3.
void ResampleTo1008RowsEmulated(benchmark::State& state) {
  Resample(state, AccumulatePath::Emulated);
}

BENCHMARK(ResampleTo1008Rows)
    ->Args({1200, 1700})
    ->Args({2400, 3400})
    ->Args({4800, 3400})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ResampleTo1008RowsEmulated)
    ->Args({2400, 3400})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace tamsolo
