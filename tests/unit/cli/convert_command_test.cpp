#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "cli/exit_codes.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"
#include "support/archive_writer.h"
#include "support/cli/cli_runner.h"
#include "support/rgb_image_maker.h"
#include "support/sample_images.h"
#include "support/scan_simulator.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

namespace fs = std::filesystem;
using testing::RunCli;

TEST(CliConvertTest, UsageMistakesExitWithTwo) {
  testing::TempFolder temp;
  const std::string in = temp.File("x"), out = temp.File("out");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"convert", "-o", out},
                                               {"convert", in},
                                               {"convert", in, "-o", out, "--filter", "Sinc"},
                                               {"convert", in, "-o", out, "--loud"}}) {
    const testing::CliOutcome outcome = RunCli(args);
    EXPECT_EQ(outcome.status, kCliUsage) << args.size();
    EXPECT_NE(outcome.err.find("usage: tamsolo-cli convert PATH... -o OUTDIR"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(out));
}

TEST(CliConvertTest, QuietRunWritesOnlyTheSummaryAndReportsUnusablePaths) {
  testing::TempFolder temp;
  const fs::path vol = temp.Path() / "scans" / "vol1";
  testing::WriteSampleFile(vol / "a.jpg", 768, 1008, 1);
  std::ofstream(vol / "notes.txt") << "x";
  const std::string books = temp.File("books");
  const testing::CliOutcome quiet =
      RunCli({"convert", "--quiet", vol.string() + "/", "-o", books, "--filter", "box"});
  EXPECT_EQ(quiet.status, kCliOk) << quiet.out << quiet.err;
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.out.rfind("books: 1\npages: 1\nblank pages: 0\n", 0), 0u) << quiet.out;
  EXPECT_TRUE(fs::exists(fs::path(books) / "vol1" / "0001_a.bmp"));

  const testing::CliOutcome unusable =
      RunCli({"convert", "-o", books, (vol / "notes.txt").string(), temp.File("nothing")});
  EXPECT_EQ(unusable.status, kCliPartial);
  EXPECT_NE(unusable.out.find("notes.txt: not a .jpg"), std::string::npos) << unusable.out;
  EXPECT_NE(unusable.out.find("nothing: no such file or folder"), std::string::npos);
}

// A lossless WebP of an RGB image gives the pages of the same image as an RGB PNG. With
// --no-archives it is left out as before WebP was read, and pages decodes it as a JPEG.
TEST(CliConvertTest, ALosslessWebpGivesTheRgbPngsPagesUnlessSwitchedOff) {
  testing::TempFolder temp;
  const RgbImage image = testing::MakeRgbImage(1400, 1050, [](int x, int y) {
    return testing::Rgb{uint8_t(x / 6), uint8_t(y / 5), uint8_t((x + y) % 251)};
  });
  std::map<std::string, std::vector<uint8_t>> pages[2];
  for (const std::string format : {"png", "webp"}) {
    fs::create_directories(temp.Path() / format);
    testing::WriteImageFile(temp.File(format + "/s." + format), image,
                            testing::SampleFormatFor("." + format));
    const std::string books = temp.File("books-" + format);
    ASSERT_EQ(RunCli({"convert", "--quiet", temp.File(format), "-o", books}).status, kCliOk);
    for (const fs::directory_entry& page : fs::directory_iterator(fs::path(books) / format)) {
      if (page.path().extension() == ".bmp")
        pages[format == "webp"][page.path().filename().string()] =
            ReadWholeFile(page.path().string(), 1 << 20);
    }
  }
  EXPECT_EQ(pages[0].size(), 2u);
  EXPECT_TRUE(pages[0] == pages[1]);
  const std::string webp = temp.File("webp/s.webp");
  const testing::CliOutcome off = RunCli({"convert", webp, "-o", temp.File("x"), "--no-archives"});
  EXPECT_NE(off.out.find("s.webp: not a .jpg, .jpeg, .png or .bmp file"), std::string::npos);
  const testing::CliOutcome pagesOff =
      RunCli({"pages", webp, "-o", temp.File("y"), "--no-archives"});
  EXPECT_NE(pagesOff.out.find("no page: JPEG decoding failed"), std::string::npos) << pagesOff.out;
}

std::map<std::string, std::vector<uint8_t>> PageFiles(const fs::path& book) {
  std::map<std::string, std::vector<uint8_t>> pages;
  if (fs::is_directory(book)) {
    for (const fs::directory_entry& page : fs::directory_iterator(book)) {
      if (page.path().extension() == ".bmp")
        pages[page.path().filename().string()] = ReadWholeFile(page.path().string(), 1 << 22);
    }
  }
  return pages;
}

std::string FileText(const fs::path& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path.string(), 1 << 20);
  return std::string(bytes.begin(), bytes.end());
}

// --clean on simulated scans keeps each file's page count, records the angle and box after
// each source's pages, and gives the same bytes with one job or two.
TEST(CliConvertTest, CleanKeepsThePageCountsAndRecordsWhatItDid) {
  testing::TempFolder temp;
  testing::WriteDegradedScans(temp.File("vol1"), 2, 2);  // a single page, then a spread
  // The page counts are those of the page lines: 1/1 for the single page, 2/2 for the spread.
  std::map<std::string, std::vector<uint8_t>> pages[2];
  std::string texts[2];
  for (int jobs = 1; jobs <= 2; ++jobs) {
    const std::string books = temp.File("books" + std::to_string(jobs));
    ASSERT_EQ(RunCli({"convert", "--quiet", temp.File("vol1"), "-o", books, "--clean", "--jobs",
                      std::to_string(jobs)})
                  .status,
              kCliOk);
    pages[jobs - 1] = PageFiles(fs::path(books) / "vol1");
    texts[jobs - 1] = FileText(fs::path(books) / "vol1" / "book.txt");
  }
  EXPECT_EQ(pages[0].size(), 4u);  // with the blank before the spread
  EXPECT_TRUE(pages[0] == pages[1]);
  EXPECT_EQ(texts[0], texts[1]);
  EXPECT_NE(texts[0].find("scan02.jpg\t1/1\nclean: scan02.jpg\t"), std::string::npos) << texts[0];
  const std::string spread = "scan03.jpg\t2/2\nclean: scan03.jpg\t";
  const size_t line = texts[0].find(spread);
  ASSERT_NE(line, std::string::npos) << texts[0];
  EXPECT_NEAR(std::stod(texts[0].substr(line + spread.size())), testing::RandomScanSetup(3).angle,
              0.03);
}

// Every archive form written here gives the book its unpacked flat folder gives, page for
// page; folders inside do not split the book; an archive beside a folder of its name stays a
// book of its own; a generic .zip is read only when named.
TEST(CliConvertTest, ArchivesGiveTheBooksTheirUnpackedFoldersGive) {
  testing::TempFolder temp;
  std::vector<testing::ArchiveFile> files;
  for (const char* name : {"001.jpg", "002.png", "003.bmp"}) {
    const fs::path path = temp.Path() / "x" / "vol1" / name;
    testing::WriteSampleFile(path, name[2] == '2' ? 1600 : 700, 1008, name[2]);
    const std::vector<uint8_t> bytes = ReadWholeFile(path.string(), 1 << 22);
    files.push_back({name, std::string(bytes.begin(), bytes.end())});
  }
  ASSERT_EQ(RunCli({"convert", "--quiet", temp.File("x/vol1"), "-o", temp.File("flat")}).status,
            kCliOk);
  const auto flat = PageFiles(temp.Path() / "flat" / "vol1");
  ASSERT_EQ(flat.size(), 5u);  // the spread's pages and a blank before them
  using testing::ArchiveForm;
  const std::pair<ArchiveForm, const char*> forms[] = {
      {ArchiveForm::ZipStored, ".cbz"},    {ArchiveForm::ZipDeflated, ".cbz"},
      {ArchiveForm::SevenZipLzma, ".cb7"}, {ArchiveForm::SevenZipLzma2, ".cb7"},
      {ArchiveForm::Tar, ".cbt"},          {ArchiveForm::TarGz, ".cbt"}};
  int n = 0;
  for (const auto& [form, extension] : forms) {
    const fs::path folder = temp.Path() / std::to_string(++n);
    fs::create_directories(folder);
    const std::string archive = (folder / (std::string("vol1") + extension)).string();
    testing::WriteArchive(archive, form, files);
    const std::string books = temp.File("books" + std::to_string(n));
    const testing::CliOutcome run = RunCli({"convert", "--quiet", archive, "-o", books});
    EXPECT_EQ(run.status, kCliOk) << archive << run.out;
    EXPECT_TRUE(PageFiles(fs::path(books) / "vol1") == flat) << archive;
    const std::string bookText = FileText(fs::path(books) / "vol1" / "book.txt");
    EXPECT_NE(bookText.find("\tvol1" + std::string(extension) + "/002.png\t"), std::string::npos)
        << bookText;
  }
  std::vector<testing::ArchiveFile> nested = files;
  nested[1].name = "inner/" + nested[1].name;
  testing::WriteArchive(temp.Path() / "x" / "vol1.cbz", ArchiveForm::ZipStored, nested);
  testing::WriteArchive(temp.Path() / "x" / "backup.zip", ArchiveForm::ZipStored, files);
  const testing::CliOutcome both = RunCli({"convert", temp.File("x"), "-o", temp.File("both")});
  EXPECT_EQ(both.status, kCliOk) << both.out;
  EXPECT_NE(both.out.find("books: 2\npages: 8\nblank pages: 1\n"), std::string::npos) << both.out;
  const testing::CliOutcome named =
      RunCli({"plan", temp.File("x/backup.zip"), temp.File("x/vol1.cbz")});
  EXPECT_NE(named.out.find("book \"backup\": 5 pages"), std::string::npos) << named.out;
  EXPECT_NE(named.out.find("book \"vol1\": 4 pages"), std::string::npos) << named.out;
  EXPECT_NE(named.out.find("vol1.cbz/inner/002.png 1/2"), std::string::npos) << named.out;
  const testing::CliOutcome json = RunCli({"plan", "--json", temp.File("x/vol1.cbz")});
  EXPECT_NE(json.out.find("\"archive\": "), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"source\": \"vol1.cbz/inner/002.png\""), std::string::npos);
}

std::string Contents(const fs::path& path) {
  return FileText(path);
}

// Hostile and broken archives: each refusal names the archive (and the entry), the rest of the
// run goes on, and the run exits 1. Names with ../ or a root are only names.
TEST(CliConvertTest, HostileArchivesAreRefusedByNameAndTheRunGoesOn) {
  testing::TempFolder temp;
  const std::string jpeg = Contents(testing::WriteSampleFile(temp.Path() / "s.jpg", 700, 1008, 1));
  const fs::path in = temp.Path() / "in";
  fs::create_directories(in);
  using testing::ArchiveForm;
  testing::WriteArchive(in / "locked.cbz", ArchiveForm::ZipEncrypted, {{"a.jpg", jpeg}});
  testing::WriteArchive(in / "nest.cbz", ArchiveForm::ZipStored,
                        {{"inner.cbz", "PK"}, {"inner2.zip", "PK"}, {"a.jpg", jpeg}});
  testing::WriteArchive(in / "bomb.cbz", ArchiveForm::ZipDeflated,
                        {{"big.jpg", std::string(40 << 20, '\0')}, {"b.jpg", jpeg}});
  // A BMP whose header declares 100000 x 100000 pixels.
  std::string huge = std::string("BM", 2) + std::string(52, '\0');
  const auto put = [&huge](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
      huge[at + i] = static_cast<char>(value >> (8 * i));
  };
  for (const auto& [at, value] :
       {std::pair{10u, 54u}, {14u, 40u}, {18u, 100000u}, {22u, 100000u}, {26u, 1u | (24u << 16)}})
    put(at, value);
  testing::WriteArchive(in / "evil.cbt", ArchiveForm::Tar,
                        {{"../../escape.jpg", jpeg}, {"/abs.jpg", jpeg}, {"huge.bmp", huge}});
  testing::WriteArchive(in / "cut.cbt", ArchiveForm::Tar,
                        {{"1.jpg", jpeg}, {"2.jpg", jpeg}, {"3.jpg", jpeg}});
  const auto padded = [](size_t size) { return (size + 511) / 512 * 512; };
  fs::resize_file(in / "cut.cbt", 3 * 512 + 2 * padded(jpeg.size()) + 100);  // inside 3.jpg
  testing::WriteSevenZipWindow(in / "wide.cb7", {"a.jpg", jpeg}, 32);        // a 256 MiB dictionary
  std::ofstream(in / "x.part1.rar") << "Rar!";
  // 20,000 entries, 10 of them images: listed once, read forward once.
  std::vector<testing::ArchiveFile> many;
  for (int i = 0; i < 20000; ++i)
    many.push_back(
        {"t/" + std::to_string(100000 + i) + (i % 2000 ? ".txt" : ".jpg"), i % 2000 ? "" : jpeg});
  testing::WriteArchive(in / "many.cbt", ArchiveForm::Tar, many);

  const std::string books = temp.File("books");
  const testing::CliOutcome run = RunCli(
      {"convert", in.string(), (in / "x.part1.rar").string(), "-o", books, "--memory-limit", "32"});
  EXPECT_EQ(run.status, kCliPartial);
  const auto mentions = [&](const std::string& text) {
    const size_t at = run.out.find(text);
    return at != std::string::npos && run.out.find(text, at + 1) == std::string::npos;
  };
  EXPECT_TRUE(mentions("locked.cbz\", entry \"a.jpg\": it is encrypted")) << run.out;
  const std::string sep(1, PathDelimiter(NativePathStyle()));
  EXPECT_TRUE(
      mentions("nest.cbz" + sep + "inner.cbz\": an archive inside an archive is not opened"));
  EXPECT_TRUE(
      mentions("nest.cbz" + sep + "inner2.zip\": an archive inside an archive is not opened"));
  EXPECT_TRUE(mentions("bomb.cbz\", entry \"big.jpg\": larger than the memory limit"));
  EXPECT_TRUE(mentions("evil.cbt" + sep + "huge.bmp: Image too large")) << run.out;
  EXPECT_TRUE(mentions("cut.cbt\", entry \"3.jpg\""));
  EXPECT_TRUE(mentions("x.part1.rar\": one part of a split archive"));
  EXPECT_TRUE(mentions("wide.cb7\": its decompressor needs 257 MiB, more than the memory limit"));
  for (const auto& [book, count] :
       {std::pair{"nest", 1u}, {"bomb", 1u}, {"evil", 2u}, {"cut", 2u}, {"many", 10u}})
    EXPECT_EQ(PageFiles(fs::path(books) / book).size(), count) << book << run.out;
  EXPECT_FALSE(fs::exists(temp.Path() / "escape.jpg"));
  EXPECT_FALSE(fs::exists(fs::path(books) / "locked"));
  EXPECT_FALSE(fs::exists(fs::path(books) / "wide"));
  // Under the default limit the dictionary leaves room for the entry and its decode.
  const testing::CliOutcome wide =
      RunCli({"convert", "--quiet", (in / "wide.cb7").string(), "-o", temp.File("wide")});
  EXPECT_EQ(wide.status, kCliOk) << wide.out;
  EXPECT_EQ(PageFiles(temp.Path() / "wide" / "wide").size(), 1u);
}

}  // namespace
}  // namespace tamsolo
