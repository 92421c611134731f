// ResampleImage alone: sources scaled to 1008 rows with Lanczos3, as the conversion job does.
// Reports milliseconds per image and multiply-adds per second (each tap of each channel of
// each sum of both passes counts one), per second of the thread's processor time: the scaling
// runs on one thread, and on a shared machine its wall time says more about the others.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "image/rgb_image.h"
#include "page/scaled_width.h"
#include "resample/axis_taps.h"
#include "resample/filters.h"
#include "resample/resample_passes.h"

namespace tamsolo {
namespace {

// Smooth gradients with some texture, so no filter path is favoured by flat data. A gray
// source has the same texture in all three channels and says so.
RgbImage Source(int width, int height, bool gray) {
  RgbImage image(width, height);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      row[3 * x] = static_cast<uint8_t>(x * 255 / width);
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / height);
      row[3 * x + 2] = static_cast<uint8_t>(noise >> 24);
      if (gray)
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] =
            static_cast<uint8_t>((row[3 * x] + row[3 * x + 2]) / 2);
    }
  }
  image.SetKnownGray(gray);
  return image;
}

int64_t TapCount(const AxisTaps& taps) {
  int64_t count = 0;
  for (int32_t i = 0; i < taps.Size(); ++i)
    count += taps[i].count;
  return count;
}

void Resample(benchmark::State& state, AccumulatePath path, bool gray) {
  const RgbImage source =
      Source(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), gray);
  const FilterEntry& filter = FilterTable[kDefaultFilterIndex];
  RgbImage scaled(static_cast<int>(ScaledWidth(source.Width(), source.Height())), 1008);
  ResampleScratch scratch;
  for (auto _ : state) {
    ResampleImageUsing(path, source, scaled, filter.function, filter.support, scratch);
    benchmark::DoNotOptimize(scaled.Data());
  }
  const AxisTaps columns(source.Width(), scaled.Width(), filter.function, filter.support);
  const AxisTaps rows(source.Height(), scaled.Height(), filter.function, filter.support);
  const int64_t channels = gray ? 1 : 3;
  const double macs = static_cast<double>(
      channels * (TapCount(columns) * source.Height() + TapCount(rows) * scaled.Width()));
  state.counters["MAC/s"] = benchmark::Counter(macs, benchmark::Counter::kIsIterationInvariantRate);
}

AccumulatePath Native() {
  return Fma3Available() ? AccumulatePath::Fma3 : AccumulatePath::Emulated;
}

void ResampleTo1008Rows(benchmark::State& state) {
  Resample(state, Native(), false);
}

void ResampleGrayTo1008Rows(benchmark::State& state) {
  Resample(state, Native(), true);
}

// The path taken on processors without FMA3.
void ResampleTo1008RowsEmulated(benchmark::State& state) {
  Resample(state, AccumulatePath::Emulated, false);
}

BENCHMARK(ResampleTo1008Rows)
    ->Args({64, 91})
    ->Args({1200, 1700})
    ->Args({2400, 3400})
    ->Args({4800, 3400})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ResampleGrayTo1008Rows)
    ->Args({2400, 3400})
    ->Args({4800, 3400})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ResampleTo1008RowsEmulated)->Args({2400, 3400})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamsolo
