#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <sstream>

#include "cli/convert_run.h"
#include "cli/exit_codes.h"
#include "job/page_pipeline.h"
#include "platform/error.h"
#include "support/forwarding_file_system.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;

// Every file under root by its relative path, with its bytes.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).generic_string()] =
          testing::ReadFileText(entry.path());
  }
  return files;
}

struct Outcome {
  int exitCode;
  std::string summary;
  std::map<std::string, std::string> books;
};

class ParallelConvertTest : public ::testing::Test {
 protected:
  void Source(const std::string& relative, int width, int height, int seed) {
    testing::WriteSampleFile(temp_.Path() / "src" / relative, width, height, seed);
  }
  void Garbage(const std::string& relative) {
    const fs::path path = temp_.Path() / "src" / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << "not an image at all";
  }

  Outcome Convert(int jobs, uint64_t memory, const std::string& blocked) {
    const std::string name = std::to_string(jobs) + "jobs" + std::to_string(memory);
    fs::create_directories(temp_.Path() / name / "tmp");
    testing::ForwardingFileSystem files;
    files.temp = (temp_.Path() / name / "tmp").string();
    files.fullDisk = [&](const std::string& path) { return fs::path(path).filename() == blocked; };
    ConvertRunOptions options;
    options.paths = {(temp_.Path() / "src").string()};
    options.booksFolder = (temp_.Path() / name / "books").string();
    options.quiet = true;
    options.jobs = jobs;
    options.memoryBudget = memory;
    std::ostringstream summary, progress;
    const std::atomic<bool> interrupted{false};
    Outcome outcome;
    outcome.exitCode = RunConvert(options, files, summary, progress, interrupted);
    // The summary names the books folder, which differs between the runs.
    outcome.summary = summary.str();
    for (size_t at; (at = outcome.summary.find(options.booksFolder)) != std::string::npos;)
      outcome.summary.replace(at, options.booksFolder.size(), "BOOKS");
    outcome.books = Tree(temp_.Path() / name / "books");
    EXPECT_TRUE(fs::is_empty(temp_.Path() / name / "tmp")) << name;
    return outcome;
  }

  testing::TempFolder temp_;
};

// Spreads of one to four pages in both parities, two sources with one base name in a book,
// files that give no image or no page, and a page that cannot be written: the books, their
// blank pages, names, book.txt, the summary and the exit status do not depend on the number
// of jobs, nor on a budget so small that only the awaited file is ever in flight.
TEST_F(ParallelConvertTest, BooksAreByteForByteTheSameForEveryJobCount) {
  struct Input {
    const char* path;
    int pages;  // of 1008-row width 768 x pages, at 1600 rows
  };
  const Input inputs[] = {
      {"vol1/01.jpg", 1}, {"vol1/02.jpg", 2}, {"vol1/03.png", 3}, {"vol1/04.bmp", 4},
      {"vol1/05.jpg", 1}, {"vol1/06.jpg", 3}, {"vol1/07.png", 2}, {"vol1/p1.jpg", 1},
      {"vol1/p1.png", 2}, {"vol2/01.bmp", 2}, {"vol2/02.jpg", 1}, {"vol2/03.jpg", 4},
      {"vol2/04.jpg", 1}, {"vol3/01.jpg", 1}, {"vol3/02.jpg", 2},
  };
  int seed = 0;
  for (const Input& input : inputs)
    Source(input.path, 1200 * input.pages, 1600, ++seed);
  Garbage("vol1/05b.jpg");
  Source("vol2/02b.png", 200, 1600, 99);  // under half a page
  Source("vol3/tall.jpg", 40, 4000, 7);   // no page either

  const std::string blocked = "03-2.bmp";
  const Outcome one = Convert(1, uint64_t{2} << 30, blocked);
  EXPECT_EQ(one.exitCode, kCliPartial) << one.summary;
  EXPECT_NE(one.summary.find("03-2.bmp"), std::string::npos) << one.summary;
  EXPECT_NE(one.books.count("vol1/book.txt"), 0u);
  EXPECT_NE(one.books.count("vol3/book.txt"), 0u);
  for (const auto& [jobs, memory] : {std::pair{4, uint64_t{2} << 30}, std::pair{3, uint64_t{1}}}) {
    const Outcome many = Convert(jobs, memory, blocked);
    EXPECT_EQ(many.exitCode, one.exitCode) << jobs;
    EXPECT_EQ(many.summary, one.summary) << jobs;
    ASSERT_EQ(many.books.size(), one.books.size()) << jobs;
    for (const auto& [name, bytes] : one.books) {
      ASSERT_EQ(many.books.count(name), 1u) << name;
      EXPECT_TRUE(many.books.at(name) == bytes) << name << " differs with " << jobs << " jobs";
    }
  }
}

// A stop set before the next file to take has started (here before any): Take ends with
// "stopped" rather than waiting for workers that start nothing more.
TEST(PagePipeline, TakingAFileNoWorkerStartedEndsOnAStop) {
  const std::atomic<bool> stop{true};
  std::vector<SourceRef> files;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
    files.push_back(SourceRef::File(name));
  PagePipeline pipeline(files, {.jobs = 2}, stop);
  auto taken = std::async(std::launch::async, [&] {
    try {
      pipeline.Take(SourceRef::File("a.jpg"));
      return std::string("taken");
    } catch (const Error& error) {
      return std::string(error.what());
    }
  });
  if (taken.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "Take still waits 20 s after the stop";
    std::_Exit(1);  // the waiting thread cannot be joined
  }
  EXPECT_EQ(taken.get(), kDecodeStoppedText);
}

}  // namespace
}  // namespace tamsolo
