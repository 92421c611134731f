#include "queue/file_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "queue/path_order.h"

namespace tamsolo {
namespace {

using Names = std::vector<std::string>;

constexpr auto kWin = PathStyle::Windows;
constexpr auto kPosix = PathStyle::Posix;

const std::string kA = "\x83\x41";   // ア: trail byte 'A'
const std::string kDi = "\x83\x61";  // ヂ: trail byte 'a'

std::vector<std::string> Sorted(std::vector<std::string> paths, PathStyle style) {
  FileQueue queue(style);
  for (const auto& path : paths)
    queue.Add(path);
  return queue.Paths();
}

TEST(FileQueue, SortsByFoldedBytes) {
  EXPECT_EQ(Sorted({"C:\\B\\y.jpg", "C:\\a\\x.jpg"}, kWin),
            (Names{"C:\\a\\x.jpg", "C:\\B\\y.jpg"}));
  EXPECT_EQ(Sorted({"C:\\a\\2.jpg", "C:\\a\\10.jpg", "C:\\a\\1.jpg"}, kWin),
            (Names{"C:\\a\\1.jpg", "C:\\a\\10.jpg", "C:\\a\\2.jpg"}));
  // Bytes above 0x7F sort after every ASCII byte (unsigned comparison).
  EXPECT_EQ(Sorted({"/v/\xc3\xa9.jpg", "/v/z.jpg"}, kPosix),
            (Names{"/v/z.jpg", "/v/\xc3\xa9.jpg"}));
}

// The folder listing's order must not decide between names that fold equal.
TEST(FileQueue, NamesThatFoldEqualSortByTheirBytesAndDuplicatesStay) {
  EXPECT_EQ(Sorted({"C:\\v\\p.jpg", "C:\\v\\P.jpg", "C:\\v\\a.jpg", "C:\\v\\P.jpg"}, kWin),
            (Names{"C:\\v\\a.jpg", "C:\\v\\P.jpg", "C:\\v\\P.jpg", "C:\\v\\p.jpg"}));
  EXPECT_EQ(Sorted({"/v/page1.jpg", "/v/Page1.jpg"}, kPosix),
            Sorted({"/v/Page1.jpg", "/v/page1.jpg"}, kPosix));
}

TEST(FileQueue, ShiftJisTrailBytesAreNeverFolded) {
  // Folding the trail byte would make ア and ヂ equal and interleave their files.
  EXPECT_EQ(Sorted({"C:\\" + kDi + "\\1.jpg", "C:\\" + kA + "\\2.jpg", "C:\\" + kDi + "\\3.jpg",
                    "C:\\" + kA + "\\4.jpg"},
                   kWin),
            (Names{"C:\\" + kA + "\\2.jpg", "C:\\" + kA + "\\4.jpg", "C:\\" + kDi + "\\1.jpg",
                   "C:\\" + kDi + "\\3.jpg"}));
  EXPECT_EQ(FoldAsciiCase(kDi + "B.BMP", kWin),
            "\x83\x61"
            "b.bmp");
  EXPECT_EQ(FoldAsciiCase(kA + "B.BMP", kWin),
            "\x83\x41"
            "b.bmp");
  EXPECT_EQ(FoldAsciiCase(kA + "B.BMP", kPosix),
            "\x83\x61"
            "b.bmp");  // never Shift-JIS
}

}  // namespace
}  // namespace tamsolo
