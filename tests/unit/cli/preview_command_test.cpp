#include <gtest/gtest.h>

#include <memory>

#include "cli/exit_codes.h"
#include "preview/preview_render.h"
#include "platform/file_bytes.h"
#include "platform/file_system.h"
#include "support/cli/cli_runner.h"
#include "support/png_reader.h"
#include "support/sample_images.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

using Outcome = testing::CliOutcome;
using testing::RunCli;

// Paths here hold a name in the program's code page, so they go through the product's own
// file calls (the ANSI ones on Windows) rather than std::filesystem.
std::vector<uint8_t> Bytes(const std::string& path) {
  return ReadWholeFile(path, uint64_t{1} << 26);
}

std::string Text(const std::string& path) {
  const std::vector<uint8_t> bytes = Bytes(path);
  return {bytes.begin(), bytes.end()};
}

// convert --preview and a later preview of the same folder draw the same picture; the
// listing beside it has the names the picture's font cannot show.
TEST(PreviewCommand, DrawsABookFolderAsConvertDid) {
  testing::TempFolder temp;
  const std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
  const auto in = [](const std::string& folder, const std::string& name) {
    return AddTrailingDelimiter(folder, NativePathStyle()) + name;
  };
  const std::string volume = temp.File("scans");
  testing::WriteSampleVolume(volume);
  // 巻 2, in the program's code page: Shift-JIS on Windows, UTF-8 elsewhere.
  const std::string title =
      std::string(NativePathStyle() == PathStyle::Windows ? "\x8A\xAA" : "\xE5\xB7\xBB") + " 2";
  files->RenameNoReplace(in(volume, "vol2"), in(volume, title));
  const std::string books = temp.File("books");
  const Outcome convert =
      RunCli({"convert", volume, "-o", books, "--quiet", "--filter", "box", "--preview"});
  ASSERT_EQ(convert.status, kCliOk) << convert.out << convert.err;
  const std::string vol2 = in(books, title);
  ASSERT_TRUE(files->Exists(in(vol2, "preview.png")));
  EXPECT_EQ(Text(in(vol2, "preview.txt")).rfind("book \"" + title + "\": 5 pages (0 blank)", 0),
            0u);

  const std::string again = temp.File("again.png");
  const Outcome preview = RunCli({"preview", vol2, "-o", again});
  EXPECT_EQ(preview.status, kCliOk) << preview.out << preview.err;
  EXPECT_EQ(Bytes(again), Bytes(in(vol2, "preview.png")));
  EXPECT_EQ(Text(temp.File("again.txt")), Text(in(vol2, "preview.txt")));
  EXPECT_EQ(testing::ReadPngSamples(Bytes(again)).colorType, 3);

  // Without -o the picture goes into the folder, replacing the one there.
  files->DeleteFile(in(vol2, "0002_002.bmp"));
  const Outcome missing = RunCli({"preview", vol2});
  EXPECT_EQ(missing.status, kCliPartial);
  EXPECT_NE(missing.out.find("page 2 (0002_002.bmp) could not be read and is drawn as missing: "),
            std::string::npos)
      << missing.out;
  EXPECT_NE(Bytes(in(vol2, "preview.png")), Bytes(again));

  EXPECT_EQ(RunCli({"preview", temp.File("nothing")}).status, kCliFatal);
  EXPECT_EQ(RunCli({"preview"}).status, kCliUsage);
}

}  // namespace
}  // namespace tamsolo
