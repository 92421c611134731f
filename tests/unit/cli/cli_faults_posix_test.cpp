// The command line under faults, signals and hostile names, with the real things: FIFOs,
// symbolic links, file modes, signals, a full disk (/dev/full, RLIMIT_FSIZE) and the built
// program started as a child wherever a signal or a limit is involved.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>

#include "cli/convert_run.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "platform/folder_lock.h"
#include "support/archive_writer.h"
#include "support/child_process_posix.h"
#include "support/cli/cli_runner.h"
#include "support/forwarding_file_system.h"
#include "support/jpeg_encoder.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using std::chrono::steady_clock;
using Outcome = testing::CliOutcome;
using testing::ChildEnd;
using testing::ChildSetup;
using testing::FolderNames;
using testing::kChildDeadline;
using testing::ReadFileText;
using testing::RunCli;
using testing::WaitFor;

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void Image(const fs::path& path, int width = 768, int seed = 1) {
  testing::WriteSampleFile(path, width, 1008, seed);
}

// The built tamsolo-cli as a child process, wherever a signal or a limit is involved; the
// commands run in this process otherwise.
struct Child : testing::ChildProcess {
  explicit Child(const ChildSetup& setup) : ChildProcess(TAMSOLO_CLI_PATH, setup) {}
};

ChildEnd RunChild(const ChildSetup& setup) {
  return Child(setup).Wait();
}

// Whether the child stands stopped (SIGSTOP), as /proc tells it.
bool Stopped(pid_t pid) {
  const std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
  const size_t end = stat.rfind(')');
  return end != std::string::npos && stat.size() > end + 2 && stat[end + 2] == 'T';
}

// A child stopped at a named point of the program (TAMSOLO_TEST_HOOK), not at a guessed time.
struct HookedChild {
  HookedChild(const char* hook, const ChildSetup& setup) {
    ::setenv("TAMSOLO_TEST_HOOK", hook, 1);
    child.emplace(setup);
    ::unsetenv("TAMSOLO_TEST_HOOK");
  }
  std::optional<Child> child;
};

class CliFaults : public ::testing::Test {
 protected:
  // The in-process runs and the children get a temp folder of the test's own.
  void SetUp() override {
    fs::create_directories(Path("tmp"));
    if (const char* tmpdir = std::getenv("TMPDIR"))
      savedTmpdir_ = tmpdir;
    ::setenv("TMPDIR", File("tmp").c_str(), 1);
  }
  void TearDown() override {
    if (savedTmpdir_)
      ::setenv("TMPDIR", savedTmpdir_->c_str(), 1);
    else
      ::unsetenv("TMPDIR");
    // Modes a test took away would keep the folder from being removed.
    for (const auto& entry : fs::recursive_directory_iterator(
             temp_.Path(), fs::directory_options::skip_permission_denied)) {
      if (entry.is_directory() && !entry.is_symlink())
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
    }
  }

  fs::path Path(const std::string& relative) const { return temp_.Path() / relative; }
  std::string File(const std::string& relative) const { return Path(relative).string(); }
  Names TmpListing() const { return FolderNames(Path("tmp")); }

  // Lets a child that runs as nobody into everything the test made so far.
  void OpenToEveryone() const {
    fs::permissions(temp_.Path(), fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(temp_.Path())) {
      if (!entry.is_symlink())
        fs::permissions(entry.path(), fs::perms::all);
    }
  }

  testing::TempFolder temp_;
  std::optional<std::string> savedTmpdir_;
};

// pages never writes onto anything that exists: not a file of the same name, not through a
// link to a file outside the output folder, not onto its own source. The page takes the next
// free name instead.
TEST_F(CliFaults, PagesNeverWriteOntoWhatExists) {
  Image(Path("in/scan.bmp"));
  Image(Path("in/link.bmp"));
  Image(Path("in/dangling.bmp"));
  fs::create_directories(Path("dir"));
  WriteText(Path("dir/scan.bmp"), "mine");
  WriteText(Path("victim.txt"), "victim");
  fs::create_symlink("../victim.txt", Path("dir/link.bmp"));
  fs::create_symlink("../nowhere.txt", Path("dir/dangling.bmp"));
  const Outcome outcome = RunCli({"pages", File("in/scan.bmp"), File("in/link.bmp"),
                                  File("in/dangling.bmp"), File("in/scan.bmp"), "-o", File("dir")});
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_EQ(ReadFileText(Path("dir/scan.bmp")), "mine");
  EXPECT_EQ(ReadFileText(Path("victim.txt")), "victim");
  EXPECT_FALSE(fs::exists(Path("nowhere.txt")));
  EXPECT_EQ(FolderNames(Path("dir")),
            (Names{"dangling.bmp", "dangling_2.bmp", "link.bmp", "link_2.bmp", "scan.bmp",
                   "scan_2.bmp", "scan_3.bmp"}));
  EXPECT_EQ(fs::file_size(Path("dir/scan_3.bmp")), 393334u);

  // Its own source folder as output: the source stays as it was.
  const std::string before = ReadFileText(Path("in/scan.bmp"));
  const Outcome self = RunCli({"pages", File("in/scan.bmp"), "-o", File("in")});
  EXPECT_EQ(self.status, 0) << self.err;
  EXPECT_EQ(ReadFileText(Path("in/scan.bmp")), before);
  EXPECT_TRUE(fs::exists(Path("in/scan_2.bmp")));
}

// A folder named to inject lines gives one record per line in book.txt, and no raw control
// byte reaches the summary.
TEST_F(CliFaults, NamesCannotAddLinesToBookTextOrTheSummary) {
  const std::string evil = "evil\nauthor: x\npage: ghost.bmp\x1b[2J";
  Image(Path("in") / evil / "a.jpg");
  const Outcome outcome = RunCli({"convert", "--quiet", File("in"), "-o", File("out")});
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_EQ(ReadFileText(Path("out") / evil / "book.txt"),
            "title: evil\\nauthor: x\\npage: ghost.bmp\\x1B[2J\n"
            "author: Tamsolo\nstatus: complete\npage: a.bmp\ta.jpg\t1/1\n");
  EXPECT_EQ(outcome.out.find('\x1b'), std::string::npos);
  for (const std::string_view line : {"author: x", "page: ghost.bmp"})
    EXPECT_EQ(outcome.out.find(std::string("\n") + std::string(line)), std::string::npos);
  EXPECT_NE(outcome.out.find("book \"evil\\nauthor: x\\npage: ghost.bmp\\x1B[2J\""),
            std::string::npos)
      << outcome.out;
}

// A full disk under the work folder: the book is written without the lost page, marked
// incomplete with the system's reason, and the run exits 1.
TEST_F(CliFaults, PagesLostToAFullDiskMarkTheBookIncomplete) {
  testing::ForwardingFileSystem disk;
  disk.temp = File("tmp") + "/";
  disk.fullDisk = [](const std::string& path) {
    return path.find("/tamsolo-cli-") != std::string::npos && path.ends_with("b-1.bmp");
  };
  Image(Path("in/vol1/a.jpg"));
  Image(Path("in/vol1/b.jpg"), 1536);
  ConvertRunOptions options;
  options.paths = {File("in")};
  options.booksFolder = File("out");
  options.quiet = true;
  std::ostringstream summary, progress;
  const std::atomic<bool> interrupted{false};
  EXPECT_EQ(RunConvert(options, disk, summary, progress, interrupted), kCliPartial);
  const std::string text = ReadFileText(Path("out/vol1/book.txt"));
  EXPECT_NE(
      text.find("status: incomplete\nlost: b.jpg\tNo space left on device\n"
                "page: PGXblnk1.bmp\tblank\npage: a.bmp\ta.jpg\t1/1\npage: b-2.bmp\tb.jpg\t2/2\n"),
      std::string::npos)
      << text;
  EXPECT_NE(summary.str().find("(3 pages; incomplete: 1 page lost)"), std::string::npos)
      << summary.str();
  EXPECT_NE(summary.str().find("No space left on device"), std::string::npos);
  EXPECT_EQ(summary.str().find("too small"), std::string::npos);
  EXPECT_TRUE(TmpListing().empty());
}

// A BMP or JPEG whose file ends early still gives its pages; the command line says so as a
// warning and the run does not fail.
TEST_F(CliFaults, ImagesWhoseDataEndsEarlyAreWarnedAboutNotFailed) {
  for (const char* name : {"in/vol1/a.bmp", "in/vol1/b.jpg"}) {
    Image(Path(name));
    fs::resize_file(Path(name), fs::file_size(Path(name)) * 6 / 10);
  }
  const Outcome outcome = RunCli({"convert", "--quiet", File("in"), "-o", File("out")});
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_EQ(outcome.out.rfind("books: 1\npages: 2\n", 0), 0u) << outcome.out;
  for (const char* name : {"in/vol1/a.bmp", "in/vol1/b.jpg"}) {
    EXPECT_NE(
        outcome.out.find("warning: " + File(name) + ": data ended early; page may be incomplete\n"),
        std::string::npos)
        << outcome.out;
  }
  const Outcome pages = RunCli({"pages", File("in/vol1/a.bmp"), "-o", File("pages")});
  EXPECT_EQ(pages.status, 0) << pages.out << pages.err;
  EXPECT_EQ(pages.out,
            File("in/vol1/a.bmp") + ": 1 page: a.bmp; data ended early; page may be incomplete\n");
  const Outcome decode = RunCli({"decode", File("in/vol1/b.jpg"), "-o", File("b.ppm")});
  EXPECT_EQ(decode.status, 0) << decode.err;
  EXPECT_NE(decode.out.find("; data ended early; image may be incomplete\n"), std::string::npos)
      << decode.out;
}

// A work folder is removed by a later run only when it has the command line's prefix and its
// lock is free; a live run's folder and every other folder stay.
TEST_F(CliFaults, StaleWorkFoldersAndHalfBooksOfKilledRunsAreRemoved) {
  fs::create_directories(Path("tmp/tamsolo-cli-dead"));
  WriteText(Path("tmp/tamsolo-cli-dead/tamsolo-cli.lock"), "");
  WriteText(Path("tmp/tamsolo-cli-dead/a.bmp"), "page");
  fs::create_directories(Path("tmp/tamsolo-cli-live"));
  FolderLock live(File("tmp/tamsolo-cli-live"), "tamsolo-cli.lock");
  fs::create_directories(Path("tmp/0001ABCD-FFFF0000-123400EF-80000A0B"));  // the window's
  WriteText(Path("tmp/0001ABCD-FFFF0000-123400EF-80000A0B/tamsolo-cli.lock"), "");
  fs::create_directories(Path("tmp/tamsolo-cli-nolock"));
  // Only a name that starts with the prefix, and never through a link to a user's folder.
  fs::create_directories(Path("tmp/x-tamsolo-cli-1"));
  WriteText(Path("tmp/x-tamsolo-cli-1/tamsolo-cli.lock"), "");
  fs::create_directories(Path("mine"));
  WriteText(Path("mine/tamsolo-cli.lock"), "");
  WriteText(Path("mine/keep.jpg"), "mine");
  fs::create_directory_symlink(Path("mine"), Path("tmp/tamsolo-cli-link"));
  fs::create_directories(Path("out/.tamsolo-cli-book-dead"));
  WriteText(Path("out/.tamsolo-cli-book-dead/tamsolo-cli.lock"), "");
  WriteText(Path("out/.tamsolo-cli-book-dead/0001_a.bmp"), "");
  Image(Path("in/vol1/a.jpg"));
  const Outcome outcome = RunCli({"convert", "--quiet", File("in"), "-o", File("out")});
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_EQ(TmpListing(), (Names{"0001ABCD-FFFF0000-123400EF-80000A0B", "tamsolo-cli-link",
                                 "tamsolo-cli-live", "tamsolo-cli-nolock", "x-tamsolo-cli-1"}));
  EXPECT_EQ(FolderNames(Path("mine")), (Names{"keep.jpg", "tamsolo-cli.lock"}));
  EXPECT_EQ(FolderNames(Path("out")), (Names{"vol1"}));
}

// A run killed outright leaves its work folder; the next run removes it.
TEST_F(CliFaults, TheRunAfterAKilledOneCleansUp) {
  Image(Path("in/vol1/a.jpg"), 768 * 40);
  Child child({{"convert", File("in"), "-o", File("out")}, File("tmp")});
  // Killed once its work folder is there beside its lock file.
  ASSERT_TRUE(WaitFor([&] { return TmpListing().size() == 2; }));
  child.Signal(SIGKILL);
  EXPECT_EQ(child.Wait().signal, SIGKILL);
  ASSERT_EQ(TmpListing().size(), 2u);
  fs::remove_all(Path("in"));
  Image(Path("in/vol2/b.jpg"));
  EXPECT_EQ(RunChild({{"convert", File("in"), "-o", File("out")}, File("tmp")}).exitCode, 0);
  EXPECT_TRUE(TmpListing().empty());
}

// A run killed at any moment leaves nothing a later run cannot judge: killed at each named
// point between making a locked folder and letting it go (test hooks, not timing), the next
// run leaves no work folder, hidden book, lock file or write probe, and a book renamed into
// place before the kill stays whole.
TEST_F(CliFaults, ARunKilledAtAnyStepLeavesNothingTheNextRunKeeps) {
  Image(Path("in/vol1/a.jpg"));
  const struct {
    const char* hook;
    Names books;
  } cases[] = {
      {"write-probe:kill", {"vol1"}},
      {"work-folder-locked:kill", {"vol1"}},
      {"work-folder-made:kill", {"vol1"}},
      {"book-folder-locked:kill", {"vol1"}},
      {"book-folder-made:kill", {"vol1"}},
      {"book-folder-filled:kill", {"vol1"}},
      {"book-renamed:kill", {"vol1", "vol1 (2)"}},
  };
  for (const auto& c : cases) {
    fs::remove_all(Path("out"));
    const ChildSetup setup{{"convert", File("in"), "-o", File("out")}, File("tmp")};
    EXPECT_EQ(HookedChild(c.hook, setup).child->Wait().signal, SIGKILL) << c.hook;
    EXPECT_EQ(RunChild(setup).exitCode, 0) << c.hook;
    EXPECT_TRUE(TmpListing().empty()) << c.hook;
    EXPECT_EQ(FolderNames(Path("out")), c.books) << c.hook;
    EXPECT_EQ(FolderNames(Path("out/vol1")), (Names{"0001_a.bmp", "book.txt"})) << c.hook;
  }
}

// Folders that cannot be read are reported, whether named on the command line or met on the
// way, and the run exits 1; so does a path that holds no image.
TEST_F(CliFaults, UnreadableFoldersAndPathsWithoutImagesAreReported) {
  Image(Path("in/vol1/a.jpg"));
  Image(Path("in/locked/b.jpg"));
  Image(Path("named/c.jpg"));
  fs::create_directories(Path("empty"));
  OpenToEveryone();
  fs::permissions(Path("in/locked"), fs::perms::none);
  fs::permissions(Path("named"), fs::perms::none);
  const ChildEnd end =
      RunChild({.args = {"convert", File("in"), File("named"), File("empty"), "-o", File("out")},
                .tmpdir = File("tmp"),
                .out = File("summary.txt"),
                .unprivileged = true});
  EXPECT_EQ(end.exitCode, 1);
  const std::string summary = ReadFileText(Path("summary.txt"));
  EXPECT_NE(summary.find("Cannot read folder \"" + File("in/locked") + "\": Permission denied"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("Cannot read folder \"" + File("named") + "\": Permission denied"),
            std::string::npos);
  EXPECT_NE(summary.find("no images found under " + File("empty")), std::string::npos);
  EXPECT_NE(summary.find("books: 1"), std::string::npos);
}

// An output folder that takes no files ends convert before any work.
TEST_F(CliFaults, AnUnwritableOutputFolderStopsConvertBeforeAnyWork) {
  Image(Path("in/vol1/a.jpg"));
  fs::create_directories(Path("out"));
  OpenToEveryone();
  fs::permissions(Path("out"), fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
  const ChildEnd end = RunChild({.args = {"convert", File("in"), "-o", File("out")},
                                 .tmpdir = File("tmp"),
                                 .err = File("err.txt"),
                                 .unprivileged = true});
  EXPECT_EQ(end.exitCode, 3);
  const std::string err = ReadFileText(Path("err.txt"));
  EXPECT_EQ(err.find("[1/1]"), std::string::npos) << err;
  EXPECT_NE(
      err.find("Cannot write into the output folder \"" + File("out") + "\": Permission denied\n"),
      std::string::npos)
      << err;
  EXPECT_TRUE(TmpListing().empty());
}

// Converting a folder into a books folder inside it, again and again, makes the same books:
// the books folder (reached through a link too) and a book folder moved elsewhere are left
// out, and said so once. plan leaves out the same.
TEST_F(CliFaults, BooksWrittenEarlierAreNeverTakenAsInput) {
  Image(Path("in/vol1/a.jpg"));
  fs::create_directory_symlink(Path("in"), Path("inlink"));
  ASSERT_EQ(RunCli({"convert", "--quiet", "--preview", File("in"), "-o", File("in/books")}).status,
            0);
  fs::rename(Path("in/books/vol1"), Path("in/moved"));
  for (const std::string& input : {File("in"), File("inlink")}) {
    const Outcome outcome = RunCli({"convert", "--quiet", input, "-o", File("in/books")});
    EXPECT_EQ(outcome.status, 0) << outcome.out;
    EXPECT_EQ(outcome.out.rfind("books: 1\npages: 1\n", 0), 0u) << outcome.out;
    const size_t said = outcome.out.find("left out ");
    EXPECT_NE(said, std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find("left out ", said + 1), std::string::npos) << outcome.out;
  }
  EXPECT_EQ(FolderNames(Path("in/books")), (Names{"vol1", "vol1 (2)"}));
  EXPECT_EQ(FolderNames(Path("in/books/vol1 (2)")), (Names{"0001_a.bmp", "book.txt"}));
  const Outcome plan = RunCli({"plan", File("in")});
  EXPECT_NE(plan.out.find("book \"vol1\": 1 page (0 blank)"), std::string::npos) << plan.out;
  EXPECT_EQ(plan.out.find("book \"moved\""), std::string::npos) << plan.out;
}

// One folder reached as itself, named twice and through two links is walked once.
TEST_F(CliFaults, EachFolderIsWalkedOncePerRun) {
  Image(Path("in/vol1/a.jpg"));
  fs::create_directory_symlink("vol1", Path("in/link1"));
  fs::create_directory_symlink("vol1", Path("in/link2"));
  const Outcome outcome = RunCli(
      {"convert", "--quiet", File("in"), File("in/vol1"), File("in/link1"), "-o", File("out")});
  EXPECT_EQ(outcome.status, 0) << outcome.out;
  EXPECT_EQ(outcome.out.rfind("books: 1\npages: 1\n", 0), 0u) << outcome.out;
}

// A FIFO among the inputs, a folder named like an image and a FIFO named on the command line
// are refused with their reason instead of hanging the run in open.
// A FIFO named like an archive is refused as one named like an image is; a run of many
// archives holds none open past its last entry, so it needs no more files open than one.
TEST_F(CliFaults, FifosAndFoldersNamedLikeImagesAreRefusedWithoutHanging) {
  Image(Path("in/vol1/a.jpg"));
  ASSERT_EQ(::mkfifo(File("in/vol1/b.jpg").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo(File("in/vol2.cbz").c_str(), 0644), 0);
  fs::create_directories(Path("in/vol1/c.png"));
  fs::create_directories(Path("folder.jpg"));
  const std::string jpeg = ReadFileText(Path("in/vol1/a.jpg"));
  fs::create_directories(Path("many"));
  for (int i = 0; i < 60; ++i)
    testing::WriteArchive(Path("many/v" + std::to_string(100 + i) + ".cbz"),
                          testing::ArchiveForm::ZipStored, {{"a.jpg", jpeg}});
  const ChildEnd end =
      RunChild({.args = {"convert", File("in"), File("many"), "-o", File("out"), "--jobs", "2"},
                .tmpdir = File("tmp"),
                .out = File("summary.txt"),
                .openFilesLimit = 32});
  EXPECT_EQ(end.exitCode, 1);
  const std::string summary = ReadFileText(Path("summary.txt"));
  EXPECT_NE(summary.find("Cannot read file \"" + File("in/vol2.cbz") + "\": it is a FIFO"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("books: 61\npages: 61\n"), std::string::npos);
  EXPECT_NE(summary.find("no page from " + File("in/vol1/b.jpg") + ": Cannot read file \"" +
                         File("in/vol1/b.jpg") + "\": it is a FIFO"),
            std::string::npos)
      << summary;
  for (const char* input : {"in/vol1/b.jpg", "folder.jpg"}) {
    const ChildEnd decode =
        RunChild({.args = {"decode", File(input), "-o", File("x.ppm")}, .err = File("err.txt")});
    EXPECT_EQ(decode.exitCode, 1) << input;
    EXPECT_NE(
        ReadFileText(Path("err.txt")).find(input[0] == 'f' ? "it is a folder" : "it is a FIFO"),
        std::string::npos)
        << ReadFileText(Path("err.txt"));
  }
}

// SIGINT, SIGTERM and SIGHUP stop the run, remove its work folder and end the program by that
// signal, so the shell shows 130, 143 or 129.
TEST_F(CliFaults, StopSignalsCleanUpAndEndByTheSignal) {
  Image(Path("in/vol1/a.jpg"), 768 * 40);
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
    Child child({.args = {"convert", File("in"), "-o", File("out")}, .tmpdir = File("tmp")});
    ASSERT_TRUE(WaitFor([&] { return !TmpListing().empty(); }));
    child.Signal(number);
    const ChildEnd end = child.Wait();
    EXPECT_EQ(end.signal, number);
    EXPECT_TRUE(TmpListing().empty()) << number;
    EXPECT_FALSE(fs::exists(Path("out/vol1"))) << number;
  }
}

// An interrupt while a very large image is decoded or scaled ends the run wherever in the image
// it comes: the child ends by the signal and its work folder is gone. The waits only choose
// where the signal lands: a colour image, since gray ones now decode and scale too fast for
// the later waits to land inside the run on an idle machine. How soon it lands is measured by
// tamsolo_bench_interrupt; the deadline here only catches a run that goes on.
TEST_F(CliFaults, AnInterruptDuringAVeryLargeImageEndsTheRun) {
  testing::WriteLargeJpeg(Path("in/vol1/big.jpg"), 8000, 12000, false);
  for (const int delayMs : {100, 400, 700}) {
    Child child({.args = {"convert", File("in"), "-o", File("out")},
                 .tmpdir = File("tmp"),
                 .err = File("err.txt")});
    ASSERT_TRUE(
        WaitFor([&] { return ReadFileText(Path("err.txt")).find("[1/1]") != std::string::npos; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    const auto sent = steady_clock::now();
    child.Signal(SIGINT);
    const ChildEnd end = child.Wait();
    const auto took = steady_clock::now() - sent;
    EXPECT_EQ(end.signal, SIGINT) << delayMs;
    EXPECT_LE(took, std::chrono::seconds(10))
        << "after " << delayMs
        << " ms: " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
    EXPECT_TRUE(TmpListing().empty()) << delayMs;
  }
}

// A temp folder on another device than the test's folders, or none: there the book folders
// get their pages by copy, which takes long enough for a signal to land in between.
std::optional<fs::path> OtherDeviceTemp(const fs::path& near) {
  struct stat here {
  }, there{};
  const fs::path shm = "/dev/shm";
  if (::stat(near.c_str(), &here) != 0 || ::stat(shm.c_str(), &there) != 0 ||
      here.st_dev == there.st_dev || ::access(shm.c_str(), W_OK) != 0)
    return std::nullopt;
  fs::path folder = shm / ("tamsolo-faults-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  return folder;
}

// SIGTERM while a book is being written takes the half-written book away: no folder, hidden or
// not, stays in the output, and the next run writes the book under its own name rather than
// beside a half one. The signal comes as soon as the first page shows in the hidden folder,
// with the other 39 still to come. Where the pages are hard links (work folder and output on
// one device) the book may be whole before the signal lands; it must then be complete.
TEST_F(CliFaults, SigtermWhileABookIsWrittenLeavesNoHalfBook) {
  Image(Path("in/vol1/a.jpg"), 768 * 40);
  fs::create_directories(Path("out"));
  const std::optional<fs::path> otherTemp = OtherDeviceTemp(Path(""));
  const fs::path tmp = otherTemp ? *otherTemp : Path("tmp");
  Child child({.args = {"convert", File("in"), "-o", File("out")}, .tmpdir = tmp.string()});
  const auto firstCopy = [&] {
    for (const auto& entry : fs::directory_iterator(Path("out"))) {
      if (entry.path().filename().string().rfind(".tamsolo-cli-book-", 0) == 0 &&
          fs::exists(entry.path() / "0001_a-1.bmp"))
        return true;
    }
    return FolderNames(Path("out")) == Names{"vol1"};
  };
  const auto deadline = steady_clock::now() + kChildDeadline;
  while (!firstCopy() && steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::microseconds(200));  // the copies take ~10 ms
  child.Signal(SIGTERM);
  // On a busy machine the run may end between the look and the signal: its book is then whole.
  const ChildEnd end = child.Wait();
  const bool finished = end.exitCode == 0;
  EXPECT_TRUE(finished || end.signal == SIGTERM) << end.exitCode << " " << end.signal;
  const Names written = FolderNames(Path("out"));
  if (otherTemp && !finished) {
    EXPECT_TRUE(written.empty());
  } else if (!written.empty()) {
    EXPECT_EQ(FolderNames(Path("out/vol1")).size(), 41u);  // 40 pages and book.txt
  }
  EXPECT_TRUE(FolderNames(tmp).empty());
  Image(Path("again/vol1/b.jpg"));
  EXPECT_EQ(
      RunChild({.args = {"convert", File("again"), "-o", File("out")}, .tmpdir = tmp.string()})
          .exitCode,
      0);
  const Names expected = written.empty() ? Names{"vol1"} : Names{"vol1", "vol1 (2)"};
  EXPECT_EQ(FolderNames(Path("out")), expected);
  if (otherTemp)
    fs::remove_all(*otherTemp);
}

// A reader that went away loses the progress, not the books: the run goes on, writes them
// and exits 1. A file size limit fails the page writes (EFBIG) like a full disk.
TEST_F(CliFaults, AClosedPipeOrAFileSizeLimitFailsWritesInsteadOfKilling) {
  Image(Path("in/vol1/a.jpg"));
  Image(Path("in/vol1/b.jpg"));
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  ::close(pipeEnds[0]);
  ChildEnd end = RunChild({.args = {"convert", File("in"), "-o", File("out")},
                           .tmpdir = File("tmp"),
                           .out = File("summary.txt"),
                           .errFd = pipeEnds[1]});
  ::close(pipeEnds[1]);
  EXPECT_EQ(end.exitCode, 1);
  EXPECT_EQ(FolderNames(Path("out/vol1")), (Names{"0001_a.bmp", "0002_b.bmp", "book.txt"}));
  EXPECT_NE(ReadFileText(Path("summary.txt")).find("progress display lost"), std::string::npos);
  EXPECT_TRUE(TmpListing().empty());

  end = RunChild({.args = {"convert", File("in"), "-o", File("limited")},
                  .tmpdir = File("tmp"),
                  .out = File("summary.txt"),
                  .fileSizeLimit = 100000});
  EXPECT_EQ(end.exitCode, 1);
  const std::string summary = ReadFileText(Path("summary.txt"));
  EXPECT_NE(summary.find("given up after 10 attempts: Cannot write file"), std::string::npos)
      << summary;
  EXPECT_NE(summary.find("File too large"), std::string::npos);
  EXPECT_TRUE(TmpListing().empty());
}

// plan's output is its result: a reader that stops early (plan | head) has what it wanted, and
// plan ends quietly with its own status.
TEST_F(CliFaults, PlanEndsQuietlyWhenItsReaderStopsEarly) {
  for (int i = 0; i < 40; ++i)  // some 13 kB of plan, more than the pipe holds
    Image(Path("in/vol1/" + std::string(150, 'p') + std::to_string(i) + ".jpg"));
  ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
  const int reader = ::open(File("fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  ::fcntl(reader, F_SETPIPE_SZ, 4096);
  Child child({.args = {"plan", File("in")}, .out = File("fifo"), .err = File("err.txt")});
  pollfd written{reader, POLLIN, 0};
  EXPECT_EQ(::poll(&written, 1, 30'000), 1);
  ::close(reader);
  EXPECT_EQ(child.Wait().exitCode, 0);
  EXPECT_EQ(ReadFileText(Path("err.txt")), "");
}

// A full device under the results: the message names the path and the system's reason, and a
// summary that cannot be written fails the run.
TEST_F(CliFaults, WritesToAFullDeviceNameThePathAndFail) {
  Image(Path("in/vol1/a.bmp"));
  ChildEnd end = RunChild(
      {.args = {"decode", File("in/vol1/a.bmp"), "-o", "/dev/full"}, .err = File("err.txt")});
  EXPECT_EQ(end.exitCode, 3);
  EXPECT_NE(ReadFileText(Path("err.txt")).find("\"/dev/full\": No space left on device"),
            std::string::npos)
      << ReadFileText(Path("err.txt"));
  EXPECT_TRUE(fs::exists("/dev/full"));
  end = RunChild({.args = {"convert", "--quiet", File("in"), "-o", File("out")},
                  .tmpdir = File("tmp"),
                  .out = "/dev/full",
                  .err = File("err.txt")});
  EXPECT_EQ(end.exitCode, 1);
  EXPECT_NE(ReadFileText(Path("err.txt")).find("standard output: No space left on device"),
            std::string::npos)
      << ReadFileText(Path("err.txt"));
}

// Names as long as the system allows still give books: a 251-byte file name (its copy
// "0002_..." would pass NAME_MAX), a 255-byte name of a spread (its pages "-1.bmp" would) and
// a 255-byte folder name whose book folder exists already (its " (2)" would). The names are
// cut short on a character boundary instead; the title in book.txt stays whole.
TEST_F(CliFaults, NamesTooLongForTheSystemAreCutRatherThanLosingABook) {
  const std::string title(255, 't'), single(247, 's'), spread(251, 'w');
  Image(Path("in") / title / (single + ".jpg"));
  Image(Path("in") / title / (spread + ".jpg"), 1536);
  fs::create_directories(Path("out") / title);
  const Outcome outcome = RunCli({"convert", "--quiet", File("in"), "-o", File("out")});
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  const fs::path book = Path("out") / (title.substr(0, 251) + " (2)");
  ASSERT_TRUE(fs::is_directory(book)) << outcome.out;
  EXPECT_EQ(FolderNames(book), (Names{"0001_PGXblnk1.bmp", "0002_" + single.substr(0, 246) + ".bmp",
                                      "0003_" + spread.substr(0, 246) + ".bmp",
                                      "0004_" + spread.substr(0, 246) + ".bmp", "book.txt"}));
  const std::string cut = spread.substr(0, 249);
  EXPECT_EQ(ReadFileText(book / "book.txt"),
            "title: " + title + "\nauthor: Tamsolo\nstatus: complete\npage: PGXblnk1.bmp\tblank\n" +
                "page: " + single + ".bmp\t" + single + ".jpg\t1/1\n" + "page: " + cut +
                "-1.bmp\t" + spread + ".jpg\t1/2\n" + "page: " + cut + "-2.bmp\t" + spread +
                ".jpg\t2/2\n");
  // The preview finds the pages whose numbered names were cut.
  const Outcome preview = RunCli({"preview", book.string(), "-o", File("preview.png")});
  EXPECT_EQ(preview.status, 0) << preview.out << preview.err;
  const Outcome pages =
      RunCli({"pages", File("in/" + title + "/" + spread + ".jpg"), "-o", File("p")});
  EXPECT_EQ(pages.status, 0) << pages.out;
  EXPECT_EQ(FolderNames(Path("p")),
            (Names{spread.substr(0, 249) + "-1.bmp", spread.substr(0, 249) + "-2.bmp"}));
}

// Paths reach the system as typed: a ".." after a link climbs from where the link leads, as
// the system has it, for the inputs and for the books folder alike.
TEST_F(CliFaults, ParentStepsAfterALinkLandWhereTheSystemPutsThem) {
  Image(Path("real/deep/in/vol1/a.jpg"));
  fs::create_directory_symlink(Path("real/deep"), Path("dl"));
  const Outcome outcome =
      RunCli({"convert", "--quiet", File("dl") + "/../deep/in", "-o", File("dl") + "/../books"});
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_TRUE(fs::exists(Path("real/books/vol1/book.txt"))) << outcome.out;
  EXPECT_FALSE(fs::exists(Path("books")));
}

// Decoding holds at most the memory limit in all, whatever the kind of file: its bytes where
// they are held, the decoder's buffers and the image. A child decodes an image of 40 MiB
// (held twice it would pass the limit) under a limit of 64 MiB; its peak resident memory
// stays within the limit over what the program takes for a tiny image.
TEST_F(CliFaults, DecodingStaysWithinTheMemoryLimit) {
  using testing::SampleFormat;
  const std::pair<const char*, SampleFormat> files[] = {{"big.bmp", SampleFormat::Bmp},
                                                        {"big.jpg", SampleFormat::Jpeg},
                                                        {"big.png", SampleFormat::Png}};
  {
    // Made and let go before any child starts: a child's peak counts what it shares with
    // this process between fork and exec.
    const RgbImage big = testing::MakeSamplePage(14000, 1008, 1);
    for (const auto& [name, format] : files)
      testing::WriteImageFile(File(name), big, format);
  }
  Image(Path("tiny.bmp"), 8);
  const long baseKiB =
      RunChild({.args = {"decode", File("tiny.bmp"), "-o", "/dev/null"}}).maxRssKiB;
  for (const auto& [name, format] : files) {
    const ChildEnd end =
        RunChild({.args = {"decode", "--memory-limit", "64", File(name), "-o", "/dev/null"}});
    EXPECT_EQ(end.exitCode, 0) << name;
    EXPECT_LE(end.maxRssKiB - baseKiB, 64 * 1024) << name << ": " << end.maxRssKiB << " KiB";
    const Outcome refused =
        RunCli({"decode", "--memory-limit", "32", File(name), "-o", "/dev/null"});
    EXPECT_EQ(refused.status, 1) << name;
    EXPECT_NE(refused.err.find("Image too large"), std::string::npos) << refused.err;
  }
}

// The preview replaces only a regular file: a link (to a file of yours, or leading nowhere),
// a folder or a FIFO at its name is refused and left as it is; a preview made earlier is
// replaced. Its -o never names the book's own files (by any path), and its listing never
// replaces a text file that holds no listing.
TEST_F(CliFaults, PreviewOutputsReplaceOnlyWhatAPreviewMade) {
  Image(Path("in/vol1/a.jpg"));
  ASSERT_EQ(RunCli({"convert", "--quiet", File("in"), "-o", File("out")}).status, 0);
  const std::string book = File("out/vol1"), bookText = ReadFileText(Path("out/vol1/book.txt"));
  WriteText(Path("victim.txt"), "victim");
  const auto link = [&](const char* to) { fs::create_symlink(to, Path("out/vol1/preview.png")); };
  const auto fifo = [&] { ::mkfifo(File("out/vol1/preview.png").c_str(), 0644); };
  const auto folder = [&] { fs::create_directory(Path("out/vol1/preview.png")); };
  for (const std::function<void()>& plant :
       {std::function<void()>([&] { link("../../victim.txt"); }),
        std::function<void()>([&] { link("../../nowhere.png"); }), std::function<void()>(fifo),
        std::function<void()>(folder)}) {
    plant();
    const ChildEnd end = RunChild({.args = {"preview", book}, .err = File("err.txt")});
    EXPECT_EQ(end.exitCode, 3) << ReadFileText(Path("err.txt"));
    EXPECT_NE(ReadFileText(Path("err.txt")).find("only a regular file is replaced"),
              std::string::npos);
    EXPECT_EQ(ReadFileText(Path("victim.txt")), "victim");
    EXPECT_FALSE(fs::exists(fs::symlink_status(Path("nowhere.png"))));
    fs::remove(Path("out/vol1/preview.png"));
  }
  for (int run = 0; run < 2; ++run)
    EXPECT_EQ(RunCli({"preview", book}).status, 0);
  EXPECT_EQ(FolderNames(Path("out/vol1")),
            (Names{"0001_a.bmp", "book.txt", "preview.png", "preview.txt"}));

  WriteText(Path("notes.txt"), "mine");
  fs::create_directory_symlink(Path("out"), Path("outlink"));
  const struct {
    std::string output;
    int status;
  } cases[] = {
      {File("notes.png"), 3},  {File("pic.txt"), 2},
      {book + "/book.png", 3}, {File("outlink") + "/vol1/../vol1/0001_a.bmp", 3},
      {File("pic.png"), 0},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunCli({"preview", book, "-o", c.output});
    EXPECT_EQ(outcome.status, c.status) << c.output << ": " << outcome.err;
  }
  EXPECT_EQ(ReadFileText(Path("notes.txt")), "mine");
  EXPECT_FALSE(fs::exists(Path("notes.png")));
  EXPECT_EQ(ReadFileText(Path("out/vol1/book.txt")), bookText);
  EXPECT_EQ(fs::file_size(Path("out/vol1/0001_a.bmp")), 393334u);
  EXPECT_EQ(ReadFileText(Path("pic.txt")), ReadFileText(Path("out/vol1/preview.txt")));
}

// Reads what a child writes into a FIFO until size bytes came or the deadline passed.
std::string ReadFifo(int fd, size_t size) {
  std::string bytes;
  const auto deadline = steady_clock::now() + kChildDeadline;
  char buffer[1 << 16];
  while (bytes.size() < size && steady_clock::now() < deadline) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count > 0)
      bytes.append(buffer, static_cast<size_t>(count));
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return bytes;
}

// No open of an output blocks: a FIFO that nobody reads is refused at once, one with a reader
// is written to. A signal ends the run promptly even while a write to a FIFO nobody empties
// holds it.
TEST_F(CliFaults, OutputsNeverBlockInOpenAndSignalsEndABlockedWrite) {
  Image(Path("in/vol1/a.bmp"));
  ASSERT_EQ(RunCli({"convert", "--quiet", File("in"), "-o", File("out")}).status, 0);
  ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0644), 0);
  for (const Names& args : {Names{"decode", File("in/vol1/a.bmp"), "-o", File("fifo")},
                            Names{"preview", File("out/vol1"), "-o", File("fifo")}}) {
    const ChildEnd end = RunChild({.args = args, .err = File("err.txt")});
    EXPECT_EQ(end.exitCode, 3) << args[0];
    EXPECT_NE(ReadFileText(Path("err.txt")).find("no process reads the FIFO"), std::string::npos)
        << ReadFileText(Path("err.txt"));
  }
  int reader = ::open(File("fifo").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const std::string header = "P6\n768 1008\n255\n";
  {
    Child child({.args = {"decode", File("in/vol1/a.bmp"), "-o", File("fifo")}});
    EXPECT_EQ(ReadFifo(reader, header.size() + 768 * 1008 * 3).substr(0, header.size()), header);
    EXPECT_EQ(child.Wait().exitCode, 0);
  }
  ::close(reader);
  reader = ::open(File("fifo").c_str(), O_RDONLY | O_NONBLOCK);
  // The write gives up at the signal: the clean-up grace, after which the program would end
  // where it stands, never runs out (the hook kills it if it does).
  HookedChild blocked("clean-up-grace:kill",
                      {.args = {"decode", File("in/vol1/a.bmp"), "-o", File("fifo")}});
  // Once bytes come, the pipe fills at once and the write waits for a read that never comes.
  pollfd data{reader, POLLIN, 0};
  ASSERT_EQ(::poll(&data, 1, 30000), 1);
  ASSERT_TRUE(data.revents & POLLIN);
  blocked.child->Signal(SIGTERM);
  EXPECT_EQ(blocked.child->Wait().signal, SIGTERM);
  ::close(reader);
}

// plan and preview stop at a signal like convert: nothing half-made is printed or written,
// and the program ends by the signal.
TEST_F(CliFaults, PlanAndPreviewStopAtASignalWithoutWriting) {
  Image(Path("in/vol1/a.bmp"));
  ASSERT_EQ(RunCli({"convert", "--quiet", File("in"), "-o", File("out")}).status, 0);
  const struct {
    const char* hook;
    Names args;
  } cases[] = {{"plan-headers:stop", {"plan", File("in")}},
               {"preview-pages:stop", {"preview", File("out/vol1"), "-o", File("p.png")}}};
  for (const auto& c : cases) {
    HookedChild hooked(c.hook, {.args = c.args, .out = File("out.txt")});
    ASSERT_TRUE(WaitFor([&] { return Stopped(hooked.child->Pid()); })) << c.hook;
    hooked.child->Signal(SIGINT);
    hooked.child->Signal(SIGCONT);
    EXPECT_EQ(hooked.child->Wait().signal, SIGINT) << c.hook;
    EXPECT_EQ(ReadFileText(Path("out.txt")), "") << c.hook;
    EXPECT_FALSE(fs::exists(Path("p.png")));
  }
}

// Book folders are open as the umask allows, like the pages in them.
TEST_F(CliFaults, BookFoldersFollowTheUmask) {
  Image(Path("in/vol1/a.jpg"));
  const mode_t previous = ::umask(022);
  const Outcome outcome = RunCli({"convert", "--quiet", File("in"), "-o", File("out")});
  ::umask(previous);
  EXPECT_EQ(outcome.status, 0) << outcome.out;
  EXPECT_EQ(fs::status(Path("out/vol1")).permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                fs::perms::others_read | fs::perms::others_exec);
}

}  // namespace
}  // namespace tamsolo
