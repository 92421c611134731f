// The road of one colour JPEG from file to written page files, stage by stage (decode,
// resample, gray mapping and page fill, page writing), and the whole road timed side by side
// with libjpeg alone decoding the same file with the same settings, the floor of the road.
// The RoadVsLibjpeg counters give that ratio for each size; RoadsVsDecodeImageFile gives the
// ratio of one job per file and of the command line's road with its reused buffers over
// the product's own DecodeImageFile.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <semaphore>
#include <thread>
#include <vector>

#include <jpeglib.h>
#include <unistd.h>

#include "image/raster_recycler.h"
#include "job/convert_thread.h"
#include "job/prepared_pages.h"
#include "decode/decoders.h"
#include "resample/filters.h"
#include "page/page_fill.h"
#include "page/page_bitmap.h"
#include "page/page_image.h"
#include "page/page_layout.h"
#include "support/jpeg_encoder.h"
#include "resample/resampler.h"
#include "page/scaled_width.h"
#include "platform/hand_over.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A folder for the sample files and pages, removed when the program ends.
struct BenchFolder {
  BenchFolder() {
    path = fs::temp_directory_path() / ("tamsolo-bench-" + std::to_string(::getpid()));
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

// A scan-like colour page: gradients, fine texture and dark strokes, so the JPEG carries a
// realistic amount of detail for its decoder.
RgbImage ScanLikeImage(int width, int height) {
  RgbImage image(width, height);
  uint32_t noise = 2463534242u;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
      const int grain = static_cast<int>(noise & 31) - 16;
      const bool stroke = (x + 2 * y) % 97 < 3 || (3 * x - y) % 131 < 2;
      const int base[3] = {x * 255 / width, y * 255 / height, 200 - (x + y) % 64};
      for (int c = 0; c < 3; ++c)
        row[3 * x + c] = stroke ? 20 : static_cast<uint8_t>(std::clamp(base[c] + grain, 0, 255));
    }
  }
  return image;
}

struct Sample {
  std::vector<uint8_t> jpeg;
  std::string path;
};

// One JPEG file per size, made once.
const Sample& SampleFor(int width, int height) {
  static std::map<std::pair<int, int>, Sample> samples;
  Sample& sample = samples[{width, height}];
  if (sample.jpeg.empty()) {
    sample.jpeg = testing::EncodeJpeg(ScanLikeImage(width, height), {.quality = 90});
    sample.path =
        (Folder() / (std::to_string(width) + "x" + std::to_string(height) + ".jpg")).string();
    std::ofstream(sample.path, std::ios::binary)
        .write(reinterpret_cast<const char*>(sample.jpeg.data()),
               static_cast<std::streamsize>(sample.jpeg.size()));
  }
  return sample;
}

const Sample& SampleFor(const benchmark::State& state) {
  return SampleFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
}

// libjpeg on its own, with the decoder's settings, into one preallocated buffer.
void DecodeWithLibjpegAlone(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& out) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = TRUE;
  cinfo.do_block_smoothing = TRUE;
  cinfo.buffered_image = FALSE;
  jpeg_start_decompress(&cinfo);
  const size_t stride = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
  out.resize(stride * cinfo.output_height);
  JSAMPROW rows[16];
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION count = std::min(16u, cinfo.output_height - cinfo.output_scanline);
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = out.data() + stride * (cinfo.output_scanline + i);
    jpeg_read_scanlines(&cinfo, rows, count);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

// The whole road as the program takes it: DecodeJpegFile, then one TConvertThread whose
// hand-overs (page count, page writes) run here, on the owning thread, while it waits. Only
// one thread works at any moment.
int FileToPages(const std::string& path) {
  QueuedHandOver handOver;
  auto job = std::make_unique<TConvertThread>(handOver);
  job->SourceImage = std::make_unique<RgbImage>(DecodeJpegFile(path));
  job->BaseName = "page";
  job->OutputFolder = (Folder() / "").string();
  job->FilterIndex = kDefaultFilterIndex;
  int pages = 0;
  bool finished = false;
  job->OnPageSaved = [&](const std::string&, const std::string&) { ++pages; };
  job->OnFinish = [&](TConvertThread&) { finished = true; };
  job->Start();
  while (!finished)
    handOver.WaitAndRun(kInterruptPoll);
  return pages;
}

RgbImage Scaled(const RgbImage& source) {
  RgbImage scaled(static_cast<int>(ScaledWidth(source.Width(), source.Height())), kScaledHeight);
  const FilterEntry& filter = FilterTable[kDefaultFilterIndex];
  ResampleImage(source, scaled, filter.function, filter.support);
  return scaled;
}

void Decode(benchmark::State& state) {
  const Sample& sample = SampleFor(state);
  for (auto _ : state)
    benchmark::DoNotOptimize(DecodeJpegFile(sample.path).Data());
}

void LibjpegAlone(benchmark::State& state) {
  const Sample& sample = SampleFor(state);
  std::vector<uint8_t> pixels;
  for (auto _ : state) {
    DecodeWithLibjpegAlone(sample.jpeg, pixels);
    benchmark::DoNotOptimize(pixels.data());
  }
}

void Resample(benchmark::State& state) {
  const RgbImage source = DecodeJpeg(SampleFor(state).jpeg);
  for (auto _ : state)
    benchmark::DoNotOptimize(Scaled(source).Data());
}

void GrayMappingAndPageFill(benchmark::State& state) {
  const RgbImage scaled = Scaled(DecodeJpeg(SampleFor(state).jpeg));
  const PageLayout layout = LayoutPages(scaled.Width());
  PageImage page;
  for (auto _ : state) {
    for (int32_t v = 1; v <= layout.count; ++v) {
      SetUpPage(page);
      FillPage(scaled, FirstColumnOfPage(layout, v), page);
      benchmark::DoNotOptimize(page.PictureRow(0));
    }
  }
  state.counters["pages"] = layout.count;
}

void PageWriting(benchmark::State& state) {
  const RgbImage scaled = Scaled(DecodeJpeg(SampleFor(state).jpeg));
  const PageLayout layout = LayoutPages(scaled.Width());
  std::vector<PageImage> pages(static_cast<size_t>(layout.count));
  for (int32_t v = 1; v <= layout.count; ++v) {
    SetUpPage(pages[v - 1]);
    FillPage(scaled, FirstColumnOfPage(layout, v), pages[v - 1]);
  }
  PageBitmap bitmap;
  for (auto _ : state) {
    for (int32_t v = 1; v <= layout.count; ++v) {
      bitmap.Assign(pages[v - 1]);
      bitmap.SaveToFile((Folder() / PageFileNameFor("write", layout.count, v)).string());
    }
  }
}

// Wall time and the process's CPU time of one piece of work. Only one thread works at any
// moment on the road, so CPU time measures the work even on a machine busy with other jobs.
struct Times {
  double wall = 0;
  double cpu = 0;
};

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

Times TimesOf(const std::function<void()>& work) {
  const Clock::time_point start = Clock::now();
  const double cpuStart = ProcessCpuSeconds();
  work();
  return {std::chrono::duration<double>(Clock::now() - start).count(),
          ProcessCpuSeconds() - cpuStart};
}

// Both measured in every iteration, one after the other, so they see the same machine state.
void RoadVsLibjpeg(benchmark::State& state) {
  const Sample& sample = SampleFor(state);
  std::vector<uint8_t> pixels;
  Times libjpeg;
  Times road;
  for (auto _ : state) {
    const Times alone = TimesOf([&] { DecodeWithLibjpegAlone(sample.jpeg, pixels); });
    const Times whole = TimesOf([&] { benchmark::DoNotOptimize(FileToPages(sample.path)); });
    libjpeg = {libjpeg.wall + alone.wall, libjpeg.cpu + alone.cpu};
    road = {road.wall + whole.wall, road.cpu + whole.cpu};
    state.SetIterationTime(whole.wall);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["libjpeg_ms"] = 1000 * libjpeg.wall / n;
  state.counters["road_ms"] = 1000 * road.wall / n;
  state.counters["ratio"] = road.wall / libjpeg.wall;
  state.counters["libjpeg_cpu_ms"] = 1000 * libjpeg.cpu / n;
  state.counters["road_cpu_ms"] = 1000 * road.cpu / n;
  state.counters["cpu_ratio"] = road.cpu / libjpeg.cpu;
}

// The command line's road with its reuse: the decode under the thread's raster recycler,
// the pages made with kept buffers, then written.
int CommandLineFileToPages(const std::string& path, PageScratch& scratch) {
  static const std::atomic<bool> kNoStop{false};
  const RgbImage image = DecodeImageFile(path);
  PreparedPages pages = PreparePages(image, kDefaultFilterIndex, scratch, kNoStop);
  for (int32_t v = 1; v <= pages.count; ++v) {
    const std::string name = (Folder() / PageFileNameFor("cli", pages.count, v)).string();
    std::FILE* file = std::fopen(name.c_str(), "wb");
    const std::vector<uint8_t> bytes = pages.TakePage(v);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  return pages.count;
}

// A thread that keeps a raster recycler and page buffers from file to file, as the command
// line's workers do; the caller waits for each file. The other roads run on the caller's
// thread, which has no recycler.
class ReusingWorker {
 public:
  ReusingWorker() : thread_([this] { Loop(); }) {}
  ~ReusingWorker() {
    Run({});
    thread_.join();
  }
  void Run(std::function<void(PageScratch&)> task) {
    task_ = std::move(task);
    start_.release();
    done_.acquire();
  }

 private:
  void Loop() {
    RasterRecycler recycler(size_t{256} << 20);
    PageScratch scratch;
    for (;;) {
      start_.acquire();
      if (!task_) {
        done_.release();
        return;
      }
      task_(scratch);
      done_.release();
    }
  }

  std::function<void(PageScratch&)> task_;
  std::binary_semaphore start_{0};
  std::binary_semaphore done_{0};
  std::thread thread_;
};

// Today's road (one TConvertThread per file) and the command line's road against the
// product's own DecodeImageFile, each measured in every iteration, one after the other.
void RoadsVsDecodeImageFile(benchmark::State& state) {
  const Sample& sample = SampleFor(state);
  ReusingWorker worker;
  Times decode;
  Times job;
  Times cli;
  for (auto _ : state) {
    const Times alone =
        TimesOf([&] { benchmark::DoNotOptimize(DecodeImageFile(sample.path).Data()); });
    const Times perJob = TimesOf([&] { benchmark::DoNotOptimize(FileToPages(sample.path)); });
    const Times reused = TimesOf([&] {
      worker.Run([&](PageScratch& scratch) {
        benchmark::DoNotOptimize(CommandLineFileToPages(sample.path, scratch));
      });
    });
    decode = {decode.wall + alone.wall, decode.cpu + alone.cpu};
    job = {job.wall + perJob.wall, job.cpu + perJob.cpu};
    cli = {cli.wall + reused.wall, cli.cpu + reused.cpu};
    state.SetIterationTime(reused.wall);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["decode_ms"] = 1000 * decode.wall / n;
  state.counters["job_ratio"] = job.wall / decode.wall;
  state.counters["cli_ratio"] = cli.wall / decode.wall;
  state.counters["job_cpu_ratio"] = job.cpu / decode.cpu;
  state.counters["cli_cpu_ratio"] = cli.cpu / decode.cpu;
}

void Sizes(benchmark::internal::Benchmark* bench) {
  bench->Args({1200, 1700})->Args({2400, 3400})->Args({4800, 3400});
  bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(LibjpegAlone)->Apply(Sizes);
BENCHMARK(Decode)->Apply(Sizes);
BENCHMARK(Resample)->Apply(Sizes);
BENCHMARK(GrayMappingAndPageFill)->Apply(Sizes);
BENCHMARK(PageWriting)->Apply(Sizes);
BENCHMARK(RoadVsLibjpeg)->Apply(Sizes)->UseManualTime();
BENCHMARK(RoadsVsDecodeImageFile)->Apply(Sizes)->UseManualTime();

}  // namespace
}  // namespace tamsolo
