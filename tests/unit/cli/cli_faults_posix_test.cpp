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

#include "cli/book_text.h"
#include "cli/commands.h"
#include "cli/convert_command.h"
#include "cli/convert_run.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "cli/terminal_text.h"
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

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// The commands in this process, for everything that needs no signal and no limit.
Outcome Cli(const Names& args) {
  static const CliCommand kCommands[] = {
      {"pages", "pages FILE... -o DIR [--filter NAME|INDEX]", RunPagesCommand},
      {"decode", "decode FILE -o OUT.ppm", RunDecodeCommand},
      {"convert", kConvertUsageLine, RunConvertCommand},
  };
  std::ostringstream out, err;
  const int status = RunCommandLine(kCommands, args, out, err);
  return {status, out.str(), err.str()};
}

// The built tamsolo-cli as a child process, its output in files.
struct ChildSetup {
  Names args;
  std::string tmpdir;             // TMPDIR of the child; empty keeps the test's
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
  EXPECT_EQ(TerminalText("C:\\a\tb\x1b"), "C:\\a\\tb\\x1B");
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

// A work folder is removed by a later run only when it has the command line's prefix and its
// lock is free; a live run's folder and every other folder stay.
TEST_F(CliFaults, StaleWorkFoldersAndHalfBooksOfKilledRunsAreRemoved) {
  fs::create_directories(Path("tmp/tamsolo-cli-dead"));
  WriteText(Path("tmp/tamsolo-cli-dead/tamsolo-cli.lock"), "");
  WriteText(Path("tmp/tamsolo-cli-dead/a.bmp"), "page");
  fs::create_directories(Path("tmp/tamsolo-cli-live"));
  FolderLock live(File("tmp/tamsolo-cli-live"));
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
  ASSERT_TRUE(WaitFor([&] { return !TmpListing().empty(); }));
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
