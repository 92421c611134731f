#include "job/convert_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>

#include "job/prepared_pages.h"
#include "resample/filters.h"
#include "page/page_fill.h"
#include "resample/resampler.h"
#include "page/scaled_width.h"
#include "platform/error.h"
#include "platform/file_bytes.h"
#include "support/fake_file_system.h"
#include "support/rgb_image_maker.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

constexpr int kBox = 0;

// Column x has a gray level from a hash of x, the same in every row, so that neighbouring
// scaled columns differ and a page shifted by one column shows.
RgbImage StripedSource(int width, int height) {
  return testing::MakeRgbImage(width, height, [](int x, int) {
    const auto level = static_cast<uint8_t>((static_cast<uint32_t>(x) * 2654435761u) >> 24);
    return testing::Rgb{level, static_cast<uint8_t>(255 - level), static_cast<uint8_t>(level / 2)};
  });
}

// The scaled image the job should have cut its pages from.
RgbImage Scaled(const RgbImage& source, int filterIndex) {
  RgbImage scaled(static_cast<int>(ScaledWidth(source.Width(), source.Height())), kScaledHeight);
  const FilterEntry& filter = FilterTable[static_cast<size_t>(filterIndex)];
  ResampleImage(source, scaled, filter.function, filter.support);
  return scaled;
}

uint8_t FilePixel(const std::vector<uint8_t>& file, int x, int y) {
  const uint8_t pair = file.at(118 + static_cast<size_t>(1023 - y) * 384 + x / 2);
  return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
}

// Scaled column c, or white (15) off the image, for page columns [0, 768).
void ExpectPageShows(const std::vector<uint8_t>& file, const RgbImage& scaled, int firstColumn) {
  for (int y : {0, 333, 1007}) {
    const uint8_t* row = scaled.Row(y);
    for (int x = 0; x < 768; ++x) {
      const int c = firstColumn + x;
      const int expected = (c < 0 || c >= scaled.Width())
                               ? 15
                               : GrayIndex(row[3 * c], row[3 * c + 1], row[3 * c + 2]);
      ASSERT_EQ(FilePixel(file, x, y), expected) << "x " << x << " y " << y;
    }
  }
  for (int x = 0; x < 768; ++x)
    ASSERT_EQ(FilePixel(file, x, 1015), 15);
}

// Runs jobs against a QueuedHandOver pumped by the test thread, recording what reaches the
// owner, in order.
class JobTest : public ::testing::Test {
 protected:
  std::unique_ptr<TConvertThread> MakeJob(RgbImage source, int filterIndex = kBox) {
    auto job = std::make_unique<TConvertThread>(handOver_);
    job->SourceImage = std::make_unique<RgbImage>(std::move(source));
    job->PageBitmap = std::make_unique<PageBitmap>();
    job->BaseName = "scan01";
    job->OutputFolder = folder_.WithDelimiter();
    job->FilterIndex = filterIndex;
    job->OnPageCount = [this](int32_t n) { Record("count " + std::to_string(n)); };
    job->OnPageSaved = [this](const std::string& folderName, const std::string& name) {
      EXPECT_EQ(folderName, folder_.WithDelimiter());
      Record("saved " + name);
    };
    job->OnPageGivenUp = [this](const std::string& name, const std::string& reason) {
      Record("given up " + name);
      givenUpReason_ = reason;
    };
    return job;
  }

  void RunToEnd(TConvertThread& job) {
    bool finished = false;
    auto previous = job.OnFinish;
    job.OnFinish = [&](TConvertThread& self) {
      if (previous)
        previous(self);
      errorText_ = self.ErrorText();
      finished = true;
    };
    job.Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!finished && std::chrono::steady_clock::now() < deadline)
      handOver_.WaitAndRun(std::chrono::milliseconds(50));
    ASSERT_TRUE(finished) << "the job did not end";
  }

  void Record(const std::string& event) {
    EXPECT_EQ(std::this_thread::get_id(), owner_) << event << " ran off the owning thread";
    events_.push_back(event);
  }

  std::vector<uint8_t> PageFile(const std::string& name) const {
    return ReadWholeFile(folder_.File(name), 1 << 20);
  }

  using Events = std::vector<std::string>;
  testing::TempFolder folder_;
  QueuedHandOver handOver_;
  std::thread::id owner_ = std::this_thread::get_id();
  Events events_;
  std::string errorText_;
  std::string givenUpReason_;
};

// Sources are scaled to 1008 rows, rounded to whole pages (a remainder of exactly half a page
// rounds up), centred across them and cut from the right. offset is the scaled column at the
// left edge of the last page: negative for white outer margins, positive when the image's
// outer columns are cut. Sources that give no page come first, so nothing may be written yet.
TEST_F(JobTest, PagesAreCutFromTheRightAndCentredOnTheScaledImage) {
  const struct {
    int width, height, pages;
    std::optional<int> offset;
  } cases[] = {
      {0, 10, 0, {}},        // an empty source ends at once
      {10, 0, 0, {}},        // so does this one
      {300, 1000, 0, {}},    // scaled width 302, under half a page
      {381, 1008, 0, {}},    // just short of half a page
      {383, 1008, 1, {}},    // 383 columns scale to 384: half a page
      {1150, 1008, 1, {}},   // just short of a page and a half
      {1152, 1008, 2, {}},   // a page and a half
      {1600, 1200, 2, -96},  // scaled width 1344
      {1000, 1000, 1, 120},  // 1008
      {715, 176, 5, 127},    // 4094
      {76, 10, 10, {}},      // 7660: the tenth page's name has no leading zero
  };
  for (const auto& c : cases) {
    events_.clear();
    const RgbImage source = StripedSource(c.width, c.height);
    RunToEnd(*MakeJob(source.Clone()));
    const auto name = [&](int v) {
      return c.pages == 1 ? std::string("scan01.bmp") : "scan01-" + std::to_string(v) + ".bmp";
    };
    Events expected;
    if (c.pages > 1)
      expected.push_back("count " + std::to_string(c.pages));
    for (int v = 1; v <= c.pages; ++v)
      expected.push_back("saved " + name(v));
    EXPECT_EQ(events_, expected) << c.width << " x " << c.height;
    EXPECT_EQ(errorText_, "");
    if (c.pages == 0) {
      EXPECT_TRUE(std::filesystem::is_empty(folder_.Path())) << c.width << " x " << c.height;
    }
    if (!c.offset)
      continue;
    const RgbImage scaled = Scaled(source, kBox);
    for (int v = 1; v <= c.pages; ++v)
      ExpectPageShows(PageFile(name(v)), scaled, (c.pages - v) * 768 + *c.offset);
  }
}

// Pages made ahead are held as files, or, past the held limit, cut from the kept scaled image
// as each is taken; both give the pages the job cuts itself.
TEST(PreparedPages, PagesHeldOrCutWhenTakenAreTheSame) {
  const RgbImage source = StripedSource(715, 176);
  const RgbImage scaled = Scaled(source, kBox);
  PageScratch scratch;
  const std::atomic<bool> stop{false};
  for (const uint64_t held : {kHeldPagesLimit, uint64_t{0}}) {
    PreparedPages pages = PreparePages(source, kBox, scratch, stop, held);
    ASSERT_EQ(pages.count, 5);
    EXPECT_EQ(pages.files.empty(), held == 0);
    for (int v = 1; v <= 5; ++v)
      ExpectPageShows(pages.TakePage(v), scaled, (5 - v) * 768 + 127);
    EXPECT_EQ(pages.scaled, nullptr) << "the scaled image outlived its last page";
  }
}

TEST_F(JobTest, FailuresEndTheJobWithTheirOwnErrorText) {
  struct Case {
    RgbImage source;
    int filterIndex;
    const char* errorText;
  };
  Case cases[] = {{StripedSource(50, 1), kBox,
                   "Source bitmap only one row high: no distance between rows to scale with"},
                  {StripedSource(20000, 10), kBox,
                   "Scaled image too large: 2016000 x 1008 pixels would need more than 1 GiB"},
                  {StripedSource(1000, 1000), 7, "Invalid filter index 7"},
                  {StripedSource(1000, 1000), -1, "Invalid filter index -1"}};
  for (Case& c : cases) {
    auto job = MakeJob(std::move(c.source), c.filterIndex);
    RunToEnd(*job);
    EXPECT_EQ(events_, Events{}) << c.errorText;
    EXPECT_EQ(errorText_, c.errorText);
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Path()));
}

TEST_F(JobTest, AnErrorFromTheAnnouncementEndsTheJobBeforeAnyPage) {
  auto job = MakeJob(StripedSource(31, 10));  // four pages
  job->OnPageCount = [](int32_t) { throw Error("blank page not written"); };
  RunToEnd(*job);
  EXPECT_EQ(events_, Events{});
  EXPECT_EQ(errorText_, "blank page not written");
}

TEST_F(JobTest, PageThatFailsTenTimesIsGivenUpAndLaterPagesAreMade) {
  auto job = MakeJob(StripedSource(31, 10));
  int attempts = 0;
  job->OnPageSaved = [&](const std::string&, const std::string& name) {
    if (name == "scan01-2.bmp" && ++attempts)
      throw Error("not recorded");
    Record("saved " + name);
  };
  RunToEnd(*job);
  EXPECT_EQ(attempts, 10);
  EXPECT_EQ(events_, (Events{"count 4", "saved scan01-1.bmp", "given up scan01-2.bmp",
                             "saved scan01-3.bmp", "saved scan01-4.bmp"}));
  EXPECT_EQ(errorText_, "");
}

TEST_F(JobTest, PageThatCannotBeWrittenIsGivenUp) {
  auto job = MakeJob(StripedSource(31, 10));
  job->OnNamePage = [](const std::string& name) {
    return name == "scan01-1.bmp" ? "missing/" + name : name;
  };
  RunToEnd(*job);
  EXPECT_EQ(events_, (Events{"count 4", "given up missing/scan01-1.bmp", "saved scan01-2.bmp",
                             "saved scan01-3.bmp", "saved scan01-4.bmp"}));
}

// A write that fails half-way (a full disk) takes its half file away; the next attempt writes
// the whole page, and a page that never fits is given up with the system's reason.
TEST_F(JobTest, HalfWrittenPagesAreRemovedBeforeTheNextAttempt) {
  struct Case {
    int failingWrites;
    Events events;
  };
  for (const Case& c : {Case{1, {"saved scan01.bmp"}}, Case{10, {"given up scan01.bmp"}}}) {
    testing::FakeFileSystem files;
    files.AddFolder("C:\\work");
    files.FailWrites(c.failingWrites);
    auto job = MakeJob(StripedSource(1000, 1000));
    job->files = &files;
    job->pageCreate = FileSystem::Create::New;
    job->OutputFolder = "C:\\work\\";
    job->OnPageSaved = [this](const std::string&, const std::string& name) {
      Record("saved " + name);
    };
    events_.clear();
    RunToEnd(*job);
    EXPECT_EQ(events_, c.events) << c.failingWrites;
    EXPECT_EQ(files.deleted.size(), std::min(c.failingWrites, 10)) << c.failingWrites;
    if (c.failingWrites < 10) {
      ASSERT_EQ(files.contents.size(), 1u);
      EXPECT_EQ(files.contents.begin()->second.size(), 393334u);
    } else {
      EXPECT_TRUE(files.contents.empty());
      EXPECT_EQ(files.ReadFolder("C:\\work").size(), 0u);
      EXPECT_EQ(givenUpReason_, "No space left on device");
    }
  }
}

TEST_F(JobTest, NameHookRenamesTheWrittenFile) {
  auto job = MakeJob(StripedSource(1000, 1000));
  job->OnNamePage = [](const std::string& name) { return "x_" + name; };
  RunToEnd(*job);
  EXPECT_EQ(events_, Events{"saved x_scan01.bmp"});
  EXPECT_EQ(PageFile("x_scan01.bmp").size(), 393334u);
  EXPECT_FALSE(std::filesystem::exists(folder_.File("scan01.bmp")));
}

TEST_F(JobTest, StopEndsTheJobBeforeItsNextPage) {
  auto job = MakeJob(StripedSource(31, 10));
  TConvertThread* self = job.get();
  job->OnPageSaved = [&](const std::string&, const std::string& name) {
    Record("saved " + name);
    if (name == "scan01-2.bmp")
      self->RequestStop();
  };
  RunToEnd(*job);
  EXPECT_EQ(events_, (Events{"count 4", "saved scan01-1.bmp", "saved scan01-2.bmp"}));
  EXPECT_EQ(errorText_, "Conversion stopped");
}

TEST_F(JobTest, FinishHandlerMayDestroyTheJob) {
  auto job = MakeJob(StripedSource(1000, 1000));
  bool finished = false;
  job->OnFinish = [&](TConvertThread&) {
    job.reset();
    finished = true;
  };
  job->Start();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!finished && std::chrono::steady_clock::now() < deadline)
    handOver_.WaitAndRun(std::chrono::milliseconds(50));
  EXPECT_TRUE(finished);
  EXPECT_EQ(job, nullptr);
}

TEST_F(JobTest, JobDestroyedBeforeItsEndStepRanIsNotFinishedLater) {
  auto job = MakeJob(StripedSource(300, 1000));  // ends without a hand-over
  bool finished = false;
  job->OnFinish = [&](TConvertThread&) { finished = true; };
  job->Start();
  job.reset();  // joins: the end step is queued by now
  EXPECT_EQ(handOver_.RunPending(), 1u);
  EXPECT_FALSE(finished);
}

TEST_F(JobTest, UnstartedJobIsDestroyedWithoutRunning) {
  auto job = MakeJob(StripedSource(1000, 1000));
  job->OnFinish = [](TConvertThread&) { FAIL() << "an unstarted job ran its end handler"; };
  job.reset();
  EXPECT_EQ(handOver_.RunPending(), 0u);
}

}  // namespace
}  // namespace tamsolo
