#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "book/book_text.h"
#include "cli/exit_codes.h"
#include "platform/file_bytes.h"
#include "support/bmp_writer.h"
#include "support/cli/cli_runner.h"
#include "support/json_reader.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using testing::Json;
using Outcome = testing::CliOutcome;
using testing::RunCli;

// 126 rows scale to 1008 exactly (8 times), so 96 columns give one page of 768.
void WriteScan(const fs::path& path, int width, int seed = 1) {
  testing::WriteSampleFile(path, width, 126, seed);
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  testing::WriteFileBytes(path.string(), bytes);
}

std::string Describe(const BookPage& page) {
  if (page.Blank())
    return page.name + " blank";
  return page.name + " " + page.source + " " + std::to_string(page.v) + "/" +
         std::to_string(page.n);
}

std::string Describe(const Json& page) {
  if (page.members.count("blank"))
    return page["name"].text + " blank";
  return page["name"].text + " " + page["source"].text + " " + std::to_string(page["v"].Int()) +
         "/" + std::to_string(page["n"].Int());
}

class PlanTest : public ::testing::Test {
 protected:
  // plan --json of the volume against the book.txt of each book convert writes from it: the
  // same books in the same order, page for page with their sources, and the same files
  // giving no page.
  void ExpectPlanMatchesConvert(const fs::path& volume) {
    const Outcome plan = RunCli({"plan", volume.string(), "--json"});
    const fs::path books = temp_.Path() / "books";
    fs::remove_all(books);
    const Outcome convert =
        RunCli({"convert", volume.string(), "-o", books.string(), "--quiet", "--filter", "box"});
    ASSERT_EQ(plan.status, convert.status) << plan.out << convert.out << convert.err;
    const Json json = testing::ParseJson(plan.out);
    size_t folders = 0;
    for (const auto& entry : fs::directory_iterator(books))
      folders += entry.is_directory();
    ASSERT_EQ(json["books"].items.size(), folders) << plan.out << convert.out;
    for (const Json& book : json["books"].items) {
      SCOPED_TRACE(book["title"].text);
      const std::vector<uint8_t> text =
          ReadWholeFile((books / book["title"].text / "book.txt").string(), 1 << 20);
      const BookText written = ParseBookText(std::string(text.begin(), text.end()));
      EXPECT_EQ(written.title, book["title"].text);
      std::vector<std::string> planned, converted;
      for (const Json& page : book["pages"].items)
        planned.push_back(Describe(page));
      for (const BookPage& page : written.pages)
        converted.push_back(Describe(page));
      EXPECT_EQ(planned, converted);
    }
    for (const Json& failure : json["noPages"].items) {
      const std::string line =
          "no page from " + failure["path"].text + ": " + failure["reason"].text;
      EXPECT_NE(convert.out.find(line), std::string::npos) << line << "\n" << convert.out;
    }
  }

  testing::TempFolder temp_;
};

TEST_F(PlanTest, AgreesWithConvertOnTheSampleVolume) {
  const fs::path volume = temp_.Path() / "samples";
  testing::WriteSampleVolume(volume.string());
  ExpectPlanMatchesConvert(volume);
}

// Spreads of one to four pages in an order that needs blanks at the front, after a spread
// and before an odd one; sources of one base name; a source named like a blank page; a half
// page that rounds up and one just under; files that give no page.
TEST_F(PlanTest, AgreesWithConvertOnSpreadsSameNamesAndFilesWithoutPages) {
  const fs::path volume = temp_.Path() / "gen";
  const int counts[] = {3, 1, 2, 4, 1, 3, 2, 2, 1, 4, 3, 1};
  for (int i = 0; i < 12; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "s%02d.%s", i + 1, i % 3 == 0 ? "png" : "jpg");
    WriteScan(volume / "spreads" / name, 96 * counts[i], i + 1);
  }
  WriteScan(volume / "blanks" / "PGXblnk1.jpg", 96);
  WriteScan(volume / "blanks" / "x.jpg", 96 * 2);
  WriteScan(volume / "names" / "p-1.jpg", 96);
  WriteScan(volume / "names" / "p.bmp", 96 * 3);
  WriteScan(volume / "names" / "p.jpg", 96 * 2);
  WriteScan(volume / "names" / "P.png", 96);
  WriteScan(volume / "names" / "q.jpg", 96 * 2);
  WriteScan(volume / "edges" / "a-half.jpg", 48);    // 384 columns: half a page rounds up
  WriteScan(volume / "edges" / "b-narrow.jpg", 47);  // 376 columns: no page
  WriteBytes(volume / "edges" / "c-broken.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'g'});
  WriteBytes(volume / "edges" / "d-empty.bmp", testing::WriteBmp(testing::Bmp(0, 5)));
  WriteScan(volume / "edges" / "e-spread.jpg", 96 * 2);
  WriteScan(volume / "edges" / "f-checked.bmp", 96);
  WriteBytes(volume / "edges" / "g-line.bmp",  // one row: wide enough for pages, but refused
             testing::WriteBmp(testing::Bmp(2, 1).Pixels({0, 0, 0, 255, 255, 255, 0, 0})));
  WriteScan(volume / "one" / "only.jpg", 96);
  ExpectPlanMatchesConvert(volume);

  // Worked out by hand from the rules.
  const Json json = testing::ParseJson(RunCli({"plan", volume.string(), "--json"}).out);
  ASSERT_EQ(json["books"].items.size(), 5u);
  EXPECT_EQ(json["noPages"].items.size(), 4u);
  // The blank put before a-half for e-spread's parity takes no page's "?" mark.
  std::vector<bool> marks;
  for (const Json& page : json["books"][1]["pages"].items)
    marks.push_back(!page.members.count("blank") && page["ifDataDecodes"].boolean);
  EXPECT_EQ(marks, (std::vector<bool>{false, true, true, true, false}));
  EXPECT_EQ(json["books"][1]["pairs"].items.size(), 3u);
  EXPECT_EQ(json["books"][1]["pairs"][2].items.size(), 1u);  // [5]
  EXPECT_EQ(json["books"][3]["pairs"][0].items.size(), 1u);  // the one-page book: [[1]]
  const auto pages = [&](size_t book) {
    std::vector<std::string> described;
    for (const Json& page : json["books"][book]["pages"].items)
      described.push_back(Describe(page));
    return described;
  };
  EXPECT_EQ(pages(0),
            (std::vector<std::string>{"PGXblnk1_2.bmp blank", "PGXblnk1.bmp PGXblnk1.jpg 1/1",
                                      "x-1.bmp x.jpg 1/2", "x-2.bmp x.jpg 2/2"}));
  EXPECT_EQ(pages(2), (std::vector<std::string>{"p-1.bmp p-1.jpg 1/1", "p-1_2.bmp p.bmp 1/3",
                                                "p-2.bmp p.bmp 2/3", "p-3.bmp p.bmp 3/3",
                                                "p-1_3.bmp p.jpg 1/2", "p-2_2.bmp p.jpg 2/2",
                                                "PGXblnk1.bmp blank", "P.bmp P.png 1/1",
                                                "q-1.bmp q.jpg 1/2", "q-2.bmp q.jpg 2/2"}));
}

std::vector<std::string> PageNames(const Json& book) {
  std::vector<std::string> names;
  for (const Json& page : book["pages"].items)
    names.push_back(page["name"].text);
  return names;
}

std::vector<std::string> BookTextPages(const fs::path& folder) {
  const std::vector<uint8_t> text = ReadWholeFile((folder / "book.txt").string(), 1 << 20);
  std::vector<std::string> names;
  for (const BookPage& page : ParseBookText(std::string(text.begin(), text.end())).pages)
    names.push_back(page.name);
  return names;
}

// Scans numbered 1 to 12 without padding: the byte order puts 10, 11 and 12 before 2.
TEST_F(PlanTest, UnpaddedNumbersWarnAndNaturalOrderSortsThem) {
  const fs::path folder = temp_.Path() / "scans" / "vol";
  std::vector<std::string> natural, bytes;
  for (int i = 1; i <= 12; ++i) {
    WriteScan(folder / (std::to_string(i) + ".jpg"), 96, i);
    natural.push_back(std::to_string(i) + ".bmp");
  }
  bytes = {"1.bmp", "10.bmp", "11.bmp", "12.bmp", "2.bmp", "3.bmp",
           "4.bmp", "5.bmp",  "6.bmp",  "7.bmp",  "8.bmp", "9.bmp"};
  const std::string warning =
      "warning: " + folder.string() +
      ": 10.jpg sorts before 2.jpg: pad the numbers, or use --natural-order";

  EXPECT_NE(RunCli({"plan", folder.string()}).out.find(warning + "\n"), std::string::npos);
  const Json byBytes = testing::ParseJson(RunCli({"plan", folder.string(), "--json"}).out);
  EXPECT_EQ(byBytes["warnings"][0].text, warning);
  EXPECT_EQ(PageNames(byBytes["books"][0]), bytes);
  // A file named and also found in its folder is queued twice, and said so once.
  const std::string twice = RunCli({"plan", (folder / "7.jpg").string(), folder.string()}).out;
  EXPECT_NE(twice.find("warning: " + (folder / "7.jpg").string() +
                       " is queued 2 times and converted each time\n"),
            std::string::npos)
      << twice;
  const Json byValue =
      testing::ParseJson(RunCli({"plan", "--natural-order", folder.string(), "--json"}).out);
  EXPECT_TRUE(byValue["warnings"].items.empty());
  EXPECT_EQ(PageNames(byValue["books"][0]), natural);

  const fs::path books = temp_.Path() / "books";
  const Outcome convert = RunCli(
      {"convert", folder.string(), "-o", (books / "a").string(), "--quiet", "--filter", "box"});
  EXPECT_NE(convert.err.find(warning + "\n"), std::string::npos) << convert.err;
  EXPECT_EQ(BookTextPages(books / "a" / "vol"), bytes);
  const Outcome sorted = RunCli({"convert", folder.string(), "-o", (books / "b").string(),
                                 "--quiet", "--filter", "box", "--natural-order"});
  EXPECT_EQ(sorted.err.find("warning"), std::string::npos) << sorted.err;
  EXPECT_EQ(BookTextPages(books / "b" / "vol"), natural);

  const Outcome pages = RunCli({"pages", (folder / "10.jpg").string(), (folder / "2.jpg").string(),
                                "-o", (temp_.Path() / "pages").string(), "--natural-order"});
  EXPECT_LT(pages.out.find("2.jpg: 1 page"), pages.out.find("10.jpg: 1 page")) << pages.out;
}

}  // namespace
}  // namespace tamsolo
