// The command line under faults, signals and hostile names, with the real things: FIFOs,
// symbolic links, file modes, signals, a full disk (/dev/full, RLIMIT_FSIZE) and the built
// program started as a child wherever a signal or a limit is involved.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include <jpeglib.h>

#include "book/book_text.h"
#include "cli/command_table.h"
#include "cli/convert_run.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "platform/control_bytes.h"
#include "platform/error.h"
#include "platform/folder_lock.h"
#include "support/forwarding_file_system.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

extern char** environ;

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using std::chrono::steady_clock;
using testing::FolderNames;
using testing::ReadFileText;

constexpr auto kChildDeadline = std::chrono::seconds(30);

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void Image(const fs::path& path, int width = 768, int seed = 1) {
  testing::WriteSampleFile(path, width, 1008, seed);
}

// A large grayscale JPEG written row by row: quick to make, slow to decode (libjpeg's one-pass
// quantiser dithers every pixel).
void WriteLargeGrayJpeg(const fs::path& path, int width, int height) {
  fs::create_directories(path.parent_path());
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 1;
  cinfo.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width));
  while (cinfo.next_scanline < cinfo.image_height) {
    for (int x = 0; x < width; ++x)
      row[x] = static_cast<JSAMPLE>((x / 64 * 37 + cinfo.next_scanline / 64 * 11) % 256);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(file);
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// The commands in this process, for everything that needs no signal and no limit.
Outcome Cli(const Names& args) {
  std::ostringstream out, err;
  const int status = RunCommandLine(TamsoloCommands(), args, out, err);
  return {status, out.str(), err.str()};
}

// The built tamsolo-cli as a child process, its output in files.
struct ChildSetup {
  Names args;
  std::string tmpdir = {};        // TMPDIR of the child; empty keeps the test's
  std::string out = "/dev/null";  // where stdout goes
  std::string err = "/dev/null";  // where stderr goes
  int errFd = -1;                 // or this descriptor, when set
  rlim_t fileSizeLimit = RLIM_INFINITY;
  // Run as nobody when the test runs as root, so that file modes bind the child too.
  bool unprivileged = false;
};

struct ChildEnd {
  int exitCode = -1;  // -1 when killed by a signal
  int signal = 0;
  long maxRssKiB = 0;
};

class Child {
 public:
  explicit Child(const ChildSetup& setup) {
    std::vector<std::string> env;
    for (char** each = environ; *each; ++each) {
      if (setup.tmpdir.empty() || std::string_view(*each).rfind("TMPDIR=", 0) != 0)
        env.emplace_back(*each);
    }
    if (!setup.tmpdir.empty())
      env.push_back("TMPDIR=" + setup.tmpdir);
    Names argv = {TAMSOLO_CLI_PATH};
    argv.insert(argv.end(), setup.args.begin(), setup.args.end());
    std::vector<char*> args = Pointers(argv), envp = Pointers(env);
    pid_ = ::fork();
    if (pid_ == 0) {
      // Only async-signal-safe calls between fork and exec.
      const int out = ::open(setup.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = setup.errFd >= 0
                          ? setup.errFd
                          : ::open(setup.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out, STDOUT_FILENO);
      ::dup2(err, STDERR_FILENO);
      const rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      if (setup.unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        ::_exit(126);
      ::execve(argv[0].c_str(), args.data(), envp.data());
      ::_exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
  }

  pid_t Pid() const { return pid_; }
  void Signal(int number) const { ::kill(pid_, number); }

  ChildEnd Wait() {
    ChildEnd end;
    const auto deadline = steady_clock::now() + kChildDeadline;
    int status = 0;
    rusage usage{};
    while (::wait4(pid_, &status, WNOHANG, &usage) == 0) {
      if (steady_clock::now() > deadline) {
        ADD_FAILURE() << "the child did not end in time";
        ::kill(pid_, SIGKILL);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ended_ = true;
    end.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    end.maxRssKiB = usage.ru_maxrss;
    return end;
  }

 private:
  static std::vector<char*> Pointers(Names& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
      pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  pid_t pid_ = -1;
  bool ended_ = false;
};

ChildEnd RunChild(const ChildSetup& setup) {
  return Child(setup).Wait();
}

// Polls until the condition holds; false at the deadline.
template <typename Condition>
bool WaitFor(Condition condition) {
  const auto deadline = steady_clock::now() + kChildDeadline;
  while (!condition()) {
    if (steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

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
  const Outcome outcome = Cli({"pages", File("in/scan.bmp"), File("in/link.bmp"),
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
  const Outcome self = Cli({"pages", File("in/scan.bmp"), "-o", File("in")});
  EXPECT_EQ(self.status, 0) << self.err;
  EXPECT_EQ(ReadFileText(Path("in/scan.bmp")), before);
  EXPECT_TRUE(fs::exists(Path("in/scan_2.bmp")));
}

// A folder named to inject lines gives one record per line in book.txt, and no raw control
// byte reaches the summary.
TEST_F(CliFaults, NamesCannotAddLinesToBookTextOrTheSummary) {
  const std::string evil = "evil\nauthor: x\npage: ghost.bmp\x1b[2J";
  Image(Path("in") / evil / "a.jpg");
  const Outcome outcome = Cli({"convert", "--quiet", File("in"), "-o", File("out")});
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

TEST(BookText, EscapesRoundTripAndBadEscapesAreRefused) {
  const struct {
    std::string value;
    std::string escaped;
  } cases[] = {
      {"plain \x83\x5c name", "plain \x83\\\\ name"},
      {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
      {std::string("\0\x1f\x7f", 3), "\\x00\\x1F\\x7F"},
      {"C:\\x\\n", "C:\\\\x\\\\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeBookValue(c.value), c.escaped);
    EXPECT_EQ(UnescapeBookValue(c.escaped), c.value);
  }
  for (const char* bad : {"\\", "\\q", "\\x1", "\\xZZ"})
    EXPECT_THROW(UnescapeBookValue(bad), Error) << bad;
  EXPECT_EQ(EscapeControlBytes("C:\\a\tb\x1b"), "C:\\a\\tb\\x1B");
}

// A full disk under the work folder: the book is written without the lost page, marked
// incomplete with the system's reason, and the run exits 1.
TEST_F(CliFaults, PagesLostToAFullDiskMarkTheBookIncomplete) {
  class FullDisk final : public testing::ForwardingFileSystem {
   public:
    explicit FullDisk(std::string temp) : temp_(std::move(temp)) {}
    std::string TempFolder() override { return temp_; }
    std::unique_ptr<Writer> OpenForWriting(const std::string& path, Create how) override {
      if (path.find("/tamsolo-cli-") != std::string::npos &&
          path.find("b-1.bmp") != std::string::npos)
        throw SystemError("Cannot write file \"" + path + "\": No space left on device", 28);
      return ForwardingFileSystem::OpenForWriting(path, how);
    }

   private:
    std::string temp_;
  } disk(File("tmp") + "/");
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
  EXPECT_NE(text.find("status: incomplete\nlost: b.jpg\tCannot write file \""), std::string::npos)
      << text;
  EXPECT_NE(
      text.find("No space left on device\npage: PGXblnk1.bmp\tblank\npage: a.bmp\ta.jpg\t1/1\n"
                "page: b-2.bmp\tb.jpg\t2/2\n"),
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
  const Outcome outcome = Cli({"convert", "--quiet", File("in"), "-o", File("out")});
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_EQ(outcome.out.rfind("books: 1\npages: 2\n", 0), 0u) << outcome.out;
  for (const char* name : {"in/vol1/a.bmp", "in/vol1/b.jpg"}) {
    EXPECT_NE(
        outcome.out.find("warning: " + File(name) + ": data ended early; page may be incomplete\n"),
        std::string::npos)
        << outcome.out;
  }
  const Outcome pages = Cli({"pages", File("in/vol1/a.bmp"), "-o", File("pages")});
  EXPECT_EQ(pages.status, 0) << pages.out << pages.err;
  EXPECT_EQ(pages.out,
            File("in/vol1/a.bmp") + ": 1 page: a.bmp; data ended early; page may be incomplete\n");
  const Outcome decode = Cli({"decode", File("in/vol1/b.jpg"), "-o", File("b.ppm")});
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
  fs::create_directories(Path("out/.tamsolo-cli-book-dead"));
  WriteText(Path("out/.tamsolo-cli-book-dead/tamsolo-cli.lock"), "");
  WriteText(Path("out/.tamsolo-cli-book-dead/0001_a.bmp"), "");
  Image(Path("in/vol1/a.jpg"));
  const Outcome outcome = Cli({"convert", "--quiet", File("in"), "-o", File("out")});
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_EQ(TmpListing(), (Names{"0001ABCD-FFFF0000-123400EF-80000A0B", "tamsolo-cli-live",
                                 "tamsolo-cli-nolock"}));
  EXPECT_EQ(FolderNames(Path("out")), (Names{"vol1"}));
}

// A run killed outright leaves its work folder; the next run removes it.
TEST_F(CliFaults, TheRunAfterAKilledOneCleansUp) {
  Image(Path("in/vol1/a.jpg"), 768 * 40);
  Child child({{"convert", File("in"), "-o", File("out")}, File("tmp")});
  // Killed once its work folder holds the lock, the state every later moment of a run leaves.
  ASSERT_TRUE(WaitFor([&] {
    const Names names = TmpListing();
    return names.size() == 1 && fs::exists(Path("tmp") / names[0] / "tamsolo-cli.lock");
  }));
  child.Signal(SIGKILL);
  EXPECT_EQ(child.Wait().signal, SIGKILL);
  ASSERT_EQ(TmpListing().size(), 1u);
  fs::remove_all(Path("in"));
  Image(Path("in/vol2/b.jpg"));
  EXPECT_EQ(RunChild({{"convert", File("in"), "-o", File("out")}, File("tmp")}).exitCode, 0);
  EXPECT_TRUE(TmpListing().empty());
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
  EXPECT_NE(err.find("Permission denied"), std::string::npos) << err;
  EXPECT_TRUE(TmpListing().empty());
}

// One folder reached as itself, named twice and through two links is walked once.
TEST_F(CliFaults, EachFolderIsWalkedOncePerRun) {
  Image(Path("in/vol1/a.jpg"));
  fs::create_directory_symlink("vol1", Path("in/link1"));
  fs::create_directory_symlink("vol1", Path("in/link2"));
  const Outcome outcome =
      Cli({"convert", "--quiet", File("in"), File("in/vol1"), File("in/link1"), "-o", File("out")});
  EXPECT_EQ(outcome.status, 0) << outcome.out;
  EXPECT_EQ(outcome.out.rfind("books: 1\npages: 1\n", 0), 0u) << outcome.out;
}

// A FIFO among the inputs, a folder named like an image and a FIFO named on the command line
// are refused with their reason instead of hanging the run in open.
TEST_F(CliFaults, FifosAndFoldersNamedLikeImagesAreRefusedWithoutHanging) {
  Image(Path("in/vol1/a.jpg"));
  ASSERT_EQ(::mkfifo(File("in/vol1/b.jpg").c_str(), 0644), 0);
  fs::create_directories(Path("in/vol1/c.png"));
  fs::create_directories(Path("folder.jpg"));
  const ChildEnd end = RunChild({.args = {"convert", File("in"), "-o", File("out")},
                                 .tmpdir = File("tmp"),
                                 .out = File("summary.txt")});
  EXPECT_EQ(end.exitCode, 1);
  const std::string summary = ReadFileText(Path("summary.txt"));
  EXPECT_NE(summary.find("no page from " + File("in/vol1/b.jpg") + ": Cannot read file \"" +
                         File("in/vol1/b.jpg") + "\": it is a FIFO"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("books: 1\npages: 1\n"), std::string::npos);
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
// where the signal lands (the decode alone takes about 2.5 s here). How soon it lands is
// measured by tamsolo_bench_interrupt; the deadline here only catches a run that goes on.
TEST_F(CliFaults, AnInterruptDuringAVeryLargeImageEndsTheRun) {
  WriteLargeGrayJpeg(Path("in/vol1/big.jpg"), 8000, 12000);
  for (const int delayMs : {100, 600, 1100}) {
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
  EXPECT_EQ(child.Wait().signal, SIGTERM);
  const Names written = FolderNames(Path("out"));
  if (otherTemp) {
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
  const Outcome outcome = Cli({"convert", "--quiet", File("in"), "-o", File("out")});
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
  const Outcome preview = Cli({"preview", book.string(), "-o", File("preview.png")});
  EXPECT_EQ(preview.status, 0) << preview.out << preview.err;
  const Outcome pages =
      Cli({"pages", File("in/" + title + "/" + spread + ".jpg"), "-o", File("p")});
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
      Cli({"convert", "--quiet", File("dl") + "/../deep/in", "-o", File("dl") + "/../books"});
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
    const Outcome refused = Cli({"decode", "--memory-limit", "32", File(name), "-o", "/dev/null"});
    EXPECT_EQ(refused.status, 1) << name;
    EXPECT_NE(refused.err.find("Image too large"), std::string::npos) << refused.err;
  }
}

// Book folders are open as the umask allows, like the pages in them.
TEST_F(CliFaults, BookFoldersFollowTheUmask) {
  Image(Path("in/vol1/a.jpg"));
  const mode_t previous = ::umask(022);
  const Outcome outcome = Cli({"convert", "--quiet", File("in"), "-o", File("out")});
  ::umask(previous);
  EXPECT_EQ(outcome.status, 0) << outcome.out;
  EXPECT_EQ(fs::status(Path("out/vol1")).permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                fs::perms::others_read | fs::perms::others_exec);
}

}  // namespace
}  // namespace tamsolo
