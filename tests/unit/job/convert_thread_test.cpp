#include "job/convert_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

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

TEST_F(JobTest, WideSourceGivesTwoPagesRightToLeftWithWhiteOuterMargins) {
  const RgbImage source = StripedSource(1600, 1200);
  const RgbImage scaled = Scaled(source, kBox);
  ASSERT_EQ(scaled.Width(), 1344);
  auto job = MakeJob(source.Clone());
  RunToEnd(*job);
  EXPECT_EQ(events_, (Events{"count 2", "saved scan01-1.bmp", "saved scan01-2.bmp"}));
  EXPECT_EQ(errorText_, "");
  // Offset -96: page 1 shows scaled columns 672..1343, page 2 columns 0..671 after 96 white.
  ExpectPageShows(PageFile("scan01-1.bmp"), scaled, 672);
  ExpectPageShows(PageFile("scan01-2.bmp"), scaled, -96);
}

TEST_F(JobTest, SquareSourceGivesOnePageWithItsOuterColumnsCut) {
  const RgbImage source = StripedSource(1000, 1000);
  const RgbImage scaled = Scaled(source, kBox);
  ASSERT_EQ(scaled.Width(), 1008);
  auto job = MakeJob(source.Clone());
  RunToEnd(*job);
  EXPECT_EQ(events_, (Events{"saved scan01.bmp"}));
  ExpectPageShows(PageFile("scan01.bmp"), scaled, 120);
}

TEST_F(JobTest, FivePageSpreadIsCutFromTheRight) {
  const RgbImage source = StripedSource(715, 176);
  const RgbImage scaled = Scaled(source, kBox);
  ASSERT_EQ(scaled.Width(), 4094);
  auto job = MakeJob(source.Clone());
  RunToEnd(*job);
  ASSERT_EQ(events_.size(), 6u);
  EXPECT_EQ(events_[0], "count 5");
  for (int v = 1; v <= 5; ++v) {
    const std::string name = "scan01-" + std::to_string(v) + ".bmp";
    EXPECT_EQ(events_[v], "saved " + name);
    ExpectPageShows(PageFile(name), scaled, (5 - v) * 768 + 127);
  }
}

TEST_F(JobTest, TenthPageNameHasNoLeadingZero) {
  auto job = MakeJob(StripedSource(76, 10));  // scaled width 7660: ten pages
  RunToEnd(*job);
  ASSERT_EQ(events_.size(), 11u);
  EXPECT_EQ(events_.front(), "count 10");
  EXPECT_EQ(events_[1], "saved scan01-1.bmp");
  EXPECT_EQ(events_.back(), "saved scan01-10.bmp");
}

TEST_F(JobTest, SourcesThatGiveNoPage) {
  // Scaled width 302 is under half a page; an empty source ends at once.
  for (auto [width, height] : {std::pair{300, 1000}, {0, 10}, {10, 0}}) {
    auto job = MakeJob(StripedSource(width, height));
    RunToEnd(*job);
    EXPECT_EQ(events_, Events{});
    EXPECT_EQ(errorText_, "");
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Path()));
}

// The half-page boundary: a scaled width of 768k + 384 still gives its last page (383 columns
// scale to 384, and 1152 columns fill one page and a half), one column less does not.
TEST_F(JobTest, HalfAPageAtTheEdgeStillGivesItsPage) {
  const struct {
    int width;
    Events events;
  } cases[] = {
      {381, {}},
      {383, {"saved scan01.bmp"}},
      {1150, {"saved scan01.bmp"}},
      {1152, {"count 2", "saved scan01-1.bmp", "saved scan01-2.bmp"}},
  };
  for (const auto& c : cases) {
    events_.clear();
    auto job = MakeJob(StripedSource(c.width, 1008));
    RunToEnd(*job);
    EXPECT_EQ(events_, c.events) << c.width;
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
