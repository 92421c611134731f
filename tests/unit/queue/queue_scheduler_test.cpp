#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "decode/decoders.h"
#include "platform/error.h"
#include "queue/queue_scheduler.h"
#include "support/forwarding_file_system.h"
#include "support/fake_file_system.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using testing::TempFolder;

constexpr int kBox = 0;
// Sources 1008 rows high keep their width under Box scaling: 768 gives one page, 1536 two,
// 2304 three.
constexpr int kHeight = 1008;
int WidthFor(int pages) {
  return 768 * pages;
}

const PathStyle kNative = NativePathStyle();
// A book key in the native style: the folder name and the delimiter.
std::string K(const std::string& folder) {
  return folder + PathDelimiter(kNative);
}

struct Book {
  std::string key;
  Names pages;
  Names tempFiles;
  Names origins;  // "blank" or "<source file name> v/n", beside pages
  bool allFilesPresent = true;
};

Names Describe(const std::vector<PageOrigin>& origins) {
  Names described;
  for (const PageOrigin& origin : origins) {
    described.push_back(origin.Blank()
                            ? "blank"
                            : FileNamePart(origin.source, kNative) + " " +
                                  std::to_string(origin.v) + "/" + std::to_string(origin.n));
  }
  return described;
}

// Records every book, with the sources the scheduler hands over, and checks that its page
// files are there while it is built.
class RecordingSink final : public BookSink {
 public:
  void BuildBook(const std::string&, const Names&, const std::string&) override {
    ADD_FAILURE() << "the scheduler hands over the pages' sources too";
  }
  void BuildBookWithOrigins(const std::string& currentBook, const Names& pageList,
                            const std::vector<PageOrigin>& origins, const std::string&) override {
    Book book{currentBook, pageList, scheduler ? scheduler->TempFileList() : Names{},
              Describe(origins)};
    for (const std::string& path : book.tempFiles)
      book.allFilesPresent = book.allFilesPresent && fs::is_regular_file(path);
    books.push_back(book);
    if (failNext) {
      failNext = false;
      throw Error("builder went away");
    }
  }

  const QueueScheduler* scheduler = nullptr;
  bool failNext = false;
  std::vector<Book> books;
};

struct Snapshot {
  Names pageList;
  int32_t pagesAdded, blankCount, spreadEnd;
  bool operator==(const Snapshot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Snapshot& s) {
  out << "{";
  for (const auto& name : s.pageList)
    out << name << " ";
  return out << "| " << s.pagesAdded << " " << s.blankCount << " " << s.spreadEnd << "}";
}

class Recorder final : public SchedulerObserver {
 public:
  explicit Recorder(const QueueScheduler& scheduler) : scheduler_(scheduler) {}
  void PagesChanged() override {
    if (!scheduler_.PageList().empty())
      snapshots.push_back({scheduler_.PageList(), scheduler_.PagesAdded(), scheduler_.BlankCount(),
                           scheduler_.SpreadEnd()});
  }
  void FileRejected(const std::string& path, const std::string& reason) override {
    rejected.push_back(path);
    rejectedReasons.push_back(reason);
  }
  void PageGivenUp(const std::string&, const std::string& name,
                   const std::string& reason) override {
    givenUp.push_back(name);
    givenUpReasons.push_back(reason);
  }
  void BookFinished(const std::string& key, const Names&, int, const std::string& error) override {
    if (!error.empty())
      failedBooks.push_back(key);
  }
  void RemainChanged(size_t count) override { remain = count; }
  // A view of the queue that follows it only through these two calls, as the window's list.
  void FileQueued(size_t index, const SourceRef& source) override {
    view.insert(view.begin() + static_cast<std::ptrdiff_t>(std::min(index, view.size())),
                source.path);
  }
  void FirstFileTaken() override {
    if (!view.empty())
      view.erase(view.begin());
  }
  void ConvertingFileChanged(const std::string& text) override { labels.push_back(text); }

  std::vector<Snapshot> snapshots;
  Names rejected, rejectedReasons, givenUp, givenUpReasons, failedBooks, labels, view;
  size_t remain = 0;

 private:
  const QueueScheduler& scheduler_;
};

class SchedulerTest : public ::testing::Test {
 protected:
  explicit SchedulerTest(std::unique_ptr<FileSystem> fileSystem = MakeNativeFileSystem(),
                         PathStyle style = kNative, QueueScheduler::Decoder decode = {})
      : fs_(std::move(fileSystem)),
        scheduler_(*fs_, handOver_, sink_,
                   {temp_.File("work"), style, kBox, std::move(decode), FileSystem::Create::Replace,
                    [this] { return converting_; }}),
        recorder_(scheduler_) {
    fs::create_directory(temp_.Path() / "work");
    sink_.scheduler = &scheduler_;
    scheduler_.SetObserver(&recorder_);
  }

  std::string Source(const std::string& relative, int pages) {
    return testing::WriteSampleFile(temp_.Path() / "src" / relative, WidthFor(pages), kHeight, 1);
  }
  std::string SourceFolder(const std::string& relative = "") {
    return (temp_.Path() / "src" / relative).make_preferred().string();
  }

  // Queues path and converts until the scheduler is idle.
  void ConvertAll(const std::string& path) {
    scheduler_.AddPath(path);
    SetConverting(true);
    RunUntilIdle();
  }
  // Ticks while no job runs and pumps the hand-over, until everything queued is handled.
  void RunUntilIdle() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!scheduler_.Idle()) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "scheduler never went idle";
      if (!scheduler_.JobRunning())
        scheduler_.MainTimerTimer();
      handOver_.WaitAndRun(std::chrono::milliseconds(5));
    }
  }
  // Pumps the hand-over until the running job has ended.
  void FinishJob() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (scheduler_.JobRunning()) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "job never ended";
      handOver_.WaitAndRun(std::chrono::milliseconds(5));
    }
  }

  Names Keys() const {
    Names keys;
    for (const Book& book : sink_.books)
      keys.push_back(book.key);
    return keys;
  }

  void SetConverting(bool converting) { converting_ = converting; }

  TempFolder temp_;
  std::unique_ptr<FileSystem> fs_;
  QueuedHandOver handOver_;
  bool converting_ = false;
  RecordingSink sink_;
  QueueScheduler scheduler_;
  Recorder recorder_;
};

TEST_F(SchedulerTest, WorkedExampleThroughTheRealJobs) {
  Source("vol1/a.jpg", 1);
  Source("vol1/b.jpg", 2);
  Source("vol1/c.png", 3);
  Source("vol1/d.jpg", 1);
  Source("vol1/e.jpg", 2);
  EXPECT_EQ(scheduler_.AddPath(SourceFolder("vol1")), 5u);
  EXPECT_EQ(recorder_.remain, 5u);
  SetConverting(true);
  RunUntilIdle();

  const std::string blank1 = "PGXblnk1.bmp", blank2 = "PGXblnk2.bmp", blank3 = "PGXblnk3.bmp";
  // One snapshot per recorded page or announcement; the table's rows are these eight.
  ASSERT_EQ(recorder_.snapshots.size(), 12u);
  const auto& s = recorder_.snapshots;
  EXPECT_EQ(s[0], (Snapshot{{"a.bmp"}, 1, 0, 0}));
  EXPECT_EQ(s[1], (Snapshot{{blank1, "a.bmp"}, 2, 1, 4}));
  EXPECT_EQ(s[3], (Snapshot{{blank1, "a.bmp", "b-1.bmp", "b-2.bmp"}, 4, 1, 4}));
  EXPECT_EQ(s[4], (Snapshot{{blank1, "a.bmp", "b-1.bmp", "b-2.bmp", blank2}, 5, 2, 8}));
  const Names afterC = {blank1, "a.bmp",   "b-1.bmp", "b-2.bmp",
                        blank2, "c-1.bmp", "c-2.bmp", "c-3.bmp"};
  EXPECT_EQ(s[7], (Snapshot{afterC, 8, 2, 8}));
  Names afterD = afterC;
  afterD.push_back("d.bmp");
  EXPECT_EQ(s[8], (Snapshot{afterD, 9, 2, 8}));
  Names afterE = afterD;
  afterE.insert(afterE.end() - 1, blank3);
  EXPECT_EQ(s[9], (Snapshot{afterE, 10, 3, 12}));
  afterE.insert(afterE.end(), {"e-1.bmp", "e-2.bmp"});
  EXPECT_EQ(s[11], (Snapshot{afterE, 12, 3, 12}));

  ASSERT_EQ(sink_.books.size(), 1u);
  const Book& book = sink_.books[0];
  EXPECT_EQ(book.key, K("vol1"));
  EXPECT_EQ(book.pages, afterE);
  EXPECT_TRUE(book.allFilesPresent);
  Names written;
  for (const char* name : {"a", "PGXblnk1", "b-1", "b-2", "PGXblnk2", "c-1", "c-2", "c-3", "d",
                           "PGXblnk3", "e-1", "e-2"}) {
    written.push_back(K(temp_.File("work")) + name + ".bmp");
  }
  EXPECT_EQ(book.tempFiles, written);

  // After the build: files gone, lists empty, counters reset, no book open.
  EXPECT_TRUE(fs::is_empty(temp_.Path() / "work"));
  EXPECT_TRUE(scheduler_.PageList().empty());
  EXPECT_TRUE(scheduler_.TempFileList().empty());
  EXPECT_EQ(scheduler_.PagesAdded() + scheduler_.BlankCount() + scheduler_.SpreadEnd(), 0);
  EXPECT_EQ(scheduler_.CurrentBook(), "");
}

TEST_F(SchedulerTest, BooksStartingWithASpread) {
  Source("two/x.jpg", 2);
  Source("three/y.bmp", 3);
  ConvertAll(SourceFolder());
  ASSERT_EQ(Keys(), (Names{K("three"), K("two")}));
  EXPECT_EQ(sink_.books[0].pages, (Names{"PGXblnk1.bmp", "y-1.bmp", "y-2.bmp", "y-3.bmp"}));
  EXPECT_EQ(sink_.books[1].pages, (Names{"x-1.bmp", "x-2.bmp"}));
  EXPECT_EQ(recorder_.snapshots[0].spreadEnd, 4);  // three pages after blank 1
  EXPECT_EQ(recorder_.snapshots[4].spreadEnd, 2);  // two pages and no blank
}

TEST_F(SchedulerTest, BookKeysFollowTheParentFolderName) {
  Source("vol1/p1.jpg", 1);
  Source("vol1/sub/q.jpg", 1);
  Source("vol1/z.jpg", 1);
  Source("a/same/x.jpg", 1);
  Source("b/same/y.jpg", 1);
  ConvertAll(SourceFolder());
  // Sub-folder sorting splits vol1 into three books; same-named folders in different places
  // follow each other and form one.
  EXPECT_EQ(Keys(), (Names{K("same"), K("vol1"), K("sub"), K("vol1")}));
  EXPECT_EQ(sink_.books[0].pages, (Names{"x.bmp", "y.bmp"}));
  EXPECT_EQ(sink_.books[1].pages, (Names{"p1.bmp"}));
  EXPECT_EQ(sink_.books[3].pages, (Names{"z.bmp"}));
}

TEST_F(SchedulerTest, UndecodableFileIsDroppedAndTheBookGoesOn) {
  Source("vol1/a.jpg", 1);
  std::ofstream(temp_.Path() / "src" / "vol1" / "b.jpg") << "not a picture";
  Source("vol1/c.jpg", 1);
  ConvertAll(SourceFolder("vol1"));
  EXPECT_EQ(recorder_.rejected, (Names{SourceFolder("vol1/b.jpg")}));
  ASSERT_EQ(Keys(), (Names{K("vol1")}));
  EXPECT_EQ(sink_.books[0].pages, (Names{"a.bmp", "c.bmp"}));
  // The label keeps the failed file's text until the next job replaces it.
  EXPECT_EQ(recorder_.labels,
            (Names{K("vol1") + "a.jpg", "", K("vol1") + "b.jpg", K("vol1") + "c.jpg", ""}));
}

TEST_F(SchedulerTest, HoldStopsTakingFilesButLetsTheRunningJobFinish) {
  Source("vol1/a.jpg", 2);
  Source("vol1/b.jpg", 1);
  scheduler_.AddPath(SourceFolder("vol1"));
  scheduler_.MainTimerTimer();
  EXPECT_FALSE(scheduler_.JobRunning());  // hold is down at start
  EXPECT_EQ(scheduler_.Queue().Count(), 2u);

  SetConverting(true);
  scheduler_.MainTimerTimer();
  EXPECT_TRUE(scheduler_.JobRunning());
  SetConverting(false);
  FinishJob();
  EXPECT_EQ(scheduler_.PageList(), (Names{"a-1.bmp", "a-2.bmp"}));
  EXPECT_EQ(scheduler_.Queue().Count(), 1u);
  EXPECT_EQ(recorder_.remain, 1u);
  scheduler_.MainTimerTimer();
  EXPECT_FALSE(scheduler_.JobRunning());
  EXPECT_TRUE(sink_.books.empty());

  // The timer drives the scheduler once convert is down again.
  SetConverting(true);
  scheduler_.MainTimerTimer();
  EXPECT_TRUE(scheduler_.JobRunning());
  FinishJob();  // the end of the last job builds the last book at once
  ASSERT_EQ(sink_.books.size(), 1u);
  EXPECT_EQ(sink_.books[0].pages, (Names{"a-1.bmp", "a-2.bmp", "b.bmp"}));
}

TEST_F(SchedulerTest, TheQueuesViewFollowsItsOrderThroughDropsAndTakes) {
  // Names on which collations disagree, dropped in two goes and taken one by one.
  for (const char* name : {"vol/p-2.jpg", "vol/p2.jpg", "vol/p_1.jpg", "vol/pa.jpg", "vol/P3.jpg",
                           "vol 2/a.jpg", "vol/a.jpg"})
    Source(name, 1);
  scheduler_.AddPath(SourceFolder("vol"));
  EXPECT_EQ(recorder_.view, scheduler_.Queue().Paths());
  scheduler_.AddPath(SourceFolder("vol 2"));
  scheduler_.AddPath(SourceFolder("vol/p2.jpg"));  // a duplicate goes after its twin
  ASSERT_EQ(recorder_.view, scheduler_.Queue().Paths());
  EXPECT_EQ(recorder_.view.size(), 8u);
  while (!scheduler_.Queue().Empty()) {
    SetConverting(true);
    scheduler_.MainTimerTimer();
    SetConverting(false);  // so the end of the job takes no next file
    EXPECT_EQ(recorder_.view, scheduler_.Queue().Paths());
    FinishJob();
  }
  EXPECT_TRUE(recorder_.view.empty());
}

TEST_F(SchedulerTest, SameBaseNamesInOneBookKeepTheirOwnPageFiles) {
  Source("vol1/p1.bmp", 1);
  Source("vol1/P1.jpg", 1);
  Source("vol1/PGXblnk1.jpg", 1);
  Source("vol1/x.jpg", 2);
  ConvertAll(SourceFolder("vol1"));
  ASSERT_EQ(sink_.books.size(), 1u);
  EXPECT_EQ(sink_.books[0].pages,
            (Names{"PGXblnk1_2.bmp", "p1.bmp", "P1_2.bmp", "PGXblnk1.bmp", "x-1.bmp", "x-2.bmp"}));
  EXPECT_TRUE(sink_.books[0].allFilesPresent);
  EXPECT_EQ(sink_.books[0].tempFiles.size(), 6u);
  // A source named like a blank page is still a source.
  EXPECT_EQ(sink_.books[0].origins, (Names{"blank", "p1.bmp 1/1", "P1.jpg 1/1", "PGXblnk1.jpg 1/1",
                                           "x.jpg 1/2", "x.jpg 2/2"}));
}

// Every write of the named page files fails as on a full disk.
class BlockedWritesTest : public SchedulerTest {
 protected:
  BlockedWritesTest() : SchedulerTest(std::make_unique<testing::ForwardingFileSystem>()) {
    static_cast<testing::ForwardingFileSystem&>(*fs_).fullDisk = [this](const std::string& path) {
      return blocked_.count(FileNamePart(path, kNative)) > 0;
    };
  }
  std::set<std::string> blocked_;
};

// Something already named like a page in the work folder is never written onto: the page
// takes the next free name.
TEST_F(SchedulerTest, NamesTakenInTheWorkFolderAreSkipped) {
  fs::create_directories(temp_.Path() / "work" / "b-2.bmp");
  std::ofstream(temp_.Path() / "work" / "a.bmp") << "left behind";
  Source("vol1/a.jpg", 1);
  Source("vol1/b.jpg", 2);
  ConvertAll(SourceFolder());
  ASSERT_EQ(sink_.books.size(), 1u);
  EXPECT_EQ(sink_.books[0].pages, (Names{"PGXblnk1.bmp", "a_2.bmp", "b-1.bmp", "b-2_2.bmp"}));
}

TEST_F(BlockedWritesTest, PagesGivenUpKeepLaterBlanksInPlace) {
  blocked_ = {"b-3.bmp", "t.bmp", "w-1.bmp"};
  Source("vol1/b.jpg", 3);
  Source("vol1/d.jpg", 2);
  Source("vol2/s.jpg", 2);
  Source("vol2/t.jpg", 1);
  Source("vol2/u.jpg", 1);
  Source("vol2/v.jpg", 2);
  Source("vol3/w.jpg", 2);
  ConvertAll(SourceFolder());
  EXPECT_EQ(recorder_.givenUp, (Names{"b-3.bmp", "t.bmp", "w-1.bmp"}));
  EXPECT_EQ(recorder_.givenUpReasons, (Names{"No space left on device", "No space left on device",
                                             "No space left on device"}));
  ASSERT_EQ(sink_.books.size(), 3u);
  // The blank before d's spread goes right after b's recorded pages, and d is kept.
  EXPECT_EQ(sink_.books[0].pages,
            (Names{"PGXblnk1.bmp", "b-1.bmp", "b-2.bmp", "PGXblnk2.bmp", "d-1.bmp", "d-2.bmp"}));
  EXPECT_EQ(sink_.books[0].origins,
            (Names{"blank", "b.jpg 1/3", "b.jpg 2/3", "blank", "d.jpg 1/2", "d.jpg 2/2"}));
  // A single page given up does not move the end of the spread before it.
  EXPECT_EQ(sink_.books[1].pages,
            (Names{"s-1.bmp", "s-2.bmp", "PGXblnk1.bmp", "u.bmp", "v-1.bmp", "v-2.bmp"}));
  EXPECT_EQ(sink_.books[1].origins,
            (Names{"s.jpg 1/2", "s.jpg 2/2", "blank", "u.jpg 1/1", "v.jpg 1/2", "v.jpg 2/2"}));
  // The page after one given up keeps its own number.
  EXPECT_EQ(sink_.books[2].origins, (Names{"w.jpg 2/2"}));
}

TEST_F(BlockedWritesTest, ABlankThatCannotBeWrittenEndsOnlyThatImage) {
  blocked_ = {"PGXblnk1.bmp"};
  Source("vol1/x.jpg", 1);
  Source("vol1/y.jpg", 2);
  Source("vol1/z.jpg", 2);
  ConvertAll(SourceFolder("vol1"));
  // y's blank fails and y gives nothing; z then needs blank 2, placed at the front.
  ASSERT_EQ(sink_.books.size(), 1u);
  EXPECT_EQ(sink_.books[0].pages, (Names{"PGXblnk2.bmp", "x.bmp", "z-1.bmp", "z-2.bmp"}));
  EXPECT_EQ(sink_.books[0].tempFiles.size(), 4u);
}

TEST_F(SchedulerTest, AFailedBookIsReportedAndItsFilesStillGo) {
  Source("vol1/a.jpg", 1);
  Source("vol2/b.jpg", 1);
  scheduler_.AddPath(SourceFolder());
  sink_.failNext = true;
  SetConverting(true);
  RunUntilIdle();
  EXPECT_EQ(recorder_.failedBooks, (Names{K("vol1")}));
  EXPECT_EQ(Keys(), (Names{K("vol1"), K("vol2")}));
  EXPECT_TRUE(fs::is_empty(temp_.Path() / "work"));
}

// Windows paths on a fake file system of the test's own: Shift-JIS names and a drive's root
// folder.
class WindowsStyleTest : public SchedulerTest {
 protected:
  WindowsStyleTest()
      : SchedulerTest(
            std::make_unique<testing::FakeFileSystem>(), PathStyle::Windows,
            [](const SourceRef&) { return testing::MakeSamplePage(WidthFor(1), kHeight, 2); }),
        fake_(static_cast<testing::FakeFileSystem&>(*fs_)) {}
  testing::FakeFileSystem& fake_;
};

TEST_F(WindowsStyleTest, TrailByteOrCaseDifferencesFormTwoBooksAndRootFilesOneUntitled) {
  const std::string a = "\x83\x41", di = "\x83\x61";  // ア and ヂ
  const Names paths = {"C:\\" + di + "\\p1.jpg",
                       "C:\\" + a + "\\p1.jpg",
                       "C:\\" + di + "\\p2.jpg",
                       "C:\\" + a + "\\p2.jpg",
                       "C:\\r.jpg",  // a drive's root: key "\\" alone
                       "D:\\Vol\\m.jpg",
                       "D:\\vol\\n.jpg"};
  for (const std::string& path : paths) {
    fake_.AddFile(path);
    scheduler_.AddPath(path);
  }
  // The sources are the fake's; the page files are written to this disk.
  SetConverting(true);
  RunUntilIdle();
  EXPECT_EQ(Keys(), (Names{"\\", a + "\\", di + "\\", "Vol\\", "vol\\"}));
  EXPECT_EQ(sink_.books[1].pages, (Names{"p1.bmp", "p2.bmp"}));
  EXPECT_EQ(fake_.deleted.size(), 7u);
}

// Counts the jobs alive as the scheduler runs them: one starts when its image has been
// decoded (the owner starts it right after), and ends when it queues its end step.
class CountingHandOver final : public HandOver {
 public:
  void Synchronize(const std::function<void()>& step) override {
    most = std::max(most.load(), alive.load());
    inner.Synchronize(step);
  }
  void Queue(std::function<void()> step) override {
    if (std::this_thread::get_id() != owner)
      --alive;
    inner.Queue(std::move(step));
  }

  QueuedHandOver inner;
  std::thread::id owner = std::this_thread::get_id();
  std::atomic<int> alive{0};
  std::atomic<int> most{0};
};

// The window's road: the timer fires whether or not a job runs, a folder is dropped while
// converting, hold goes down and up again. However it is driven, the scheduler never has
// more than one job thread alive, and it decodes only when none is.
// A decode that runs out of memory says so, not "std::bad_alloc"; the book goes on.
class OutOfMemoryTest : public SchedulerTest {
 protected:
  OutOfMemoryTest()
      : SchedulerTest(MakeNativeFileSystem(), kNative, [](const SourceRef& source) {
          if (source.path.ends_with("b.jpg"))
            throw std::bad_alloc();
          return DecodeImageFile(source.path);
        }) {}
};

TEST_F(OutOfMemoryTest, TheFileIsRejectedForWantOfMemory) {
  Source("vol1/a.jpg", 1);
  Source("vol1/b.jpg", 1);
  ConvertAll(SourceFolder("vol1"));
  EXPECT_EQ(recorder_.rejected, (Names{SourceFolder("vol1/b.jpg")}));
  EXPECT_EQ(recorder_.rejectedReasons, (Names{"out of memory"}));
  EXPECT_EQ(sink_.books.at(0).pages, (Names{"a.bmp"}));
}

TEST(WindowSchedulerTest, NeverMoreThanOneJobAlive) {
  TempFolder temp;
  fs::create_directories(temp.Path() / "work");
  for (const char* name : {"v1/a.jpg", "v1/b.png", "v1/c.jpg", "v2/a.bmp", "v2/b.jpg"})
    testing::WriteSampleFile(temp.Path() / "src" / name, WidthFor(2), kHeight, 1);
  CountingHandOver handOver;
  int decodedWhileAlive = 0;
  const auto decode = [&](const SourceRef& source) {
    decodedWhileAlive += handOver.alive.load() != 0;
    RgbImage image = DecodeImageFile(source.path);
    ++handOver.alive;
    return image;
  };
  const std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
  RecordingSink sink;
  bool converting = true;
  QueueScheduler scheduler(*files, handOver, sink,
                           {temp.File("work"), kNative, kBox, decode, FileSystem::Create::Replace,
                            [&] { return converting; }});
  scheduler.AddPath((temp.Path() / "src" / "v1").make_preferred().string());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  for (int tick = 0; !scheduler.Idle() || tick < 3; ++tick) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    if (tick == 2)
      scheduler.AddPath((temp.Path() / "src" / "v2").make_preferred().string());
    converting = tick % 7 != 3;
    scheduler.MainTimerTimer();
    handOver.inner.WaitAndRun(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(sink.books.size(), 2u);
  EXPECT_EQ(handOver.alive.load(), 0);
  EXPECT_EQ(handOver.most.load(), 1);
  EXPECT_EQ(decodedWhileAlive, 0);
}

}  // namespace
}  // namespace tamsolo
