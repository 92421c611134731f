#include <gtest/gtest.h>

#include "job/page_names.h"

namespace tamsolo {
namespace {

using Folding = PageNames::Folding;

TEST(PageNames, ClashesGetNumberedForms) {
  PageNames posix(PathStyle::Posix, Folding::None);
  EXPECT_EQ(posix.FreeName("scan-1.bmp"), "scan-1.bmp");
  posix.Take("scan-1.bmp");
  EXPECT_EQ(posix.FreeName("scan-1.bmp"), "scan-1_2.bmp");
  posix.Take("scan-1_2.bmp");
  EXPECT_EQ(posix.FreeName("scan-1.bmp"), "scan-1_3.bmp");
  EXPECT_EQ(posix.FreeName("SCAN-1.bmp"), "SCAN-1.bmp");
  posix.Clear();
  EXPECT_EQ(posix.FreeName("scan-1.bmp"), "scan-1.bmp");
}

// Folding ignores ASCII case; in the Windows style a trail byte in the letter range (ヂ is
// 0x83 0x61) is part of its character, never a letter.
TEST(PageNames, FoldingFollowsThePathStyle) {
  PageNames windows(PathStyle::Windows, Folding::AsciiCase);
  windows.Take("Scan.bmp");
  windows.Take("\x83\x61.bmp");
  EXPECT_EQ(windows.FreeName("SCAN.BMP"), "SCAN_2.BMP");
  EXPECT_EQ(windows.FreeName("\x83\x41.bmp"), "\x83\x41.bmp");
  PageNames posix(PathStyle::Posix, Folding::AsciiCase);
  posix.Take("\x83\x61.bmp");
  EXPECT_EQ(posix.FreeName("\x83\x41.bmp"), "\x83\x41_2.bmp");
  EXPECT_EQ(posix.FreeName(".bmp"), ".bmp");
  posix.Take(".bmp");
  EXPECT_EQ(posix.FreeName(".BMP"), "_2.BMP");
}

// With room set, a long name loses the end of its base; the page number, the clash number
// and the extension stay.
TEST(PageNames, LongNamesAreCutToTheRoom) {
  PageNames names(PathStyle::Posix, Folding::None, {}, 12);
  EXPECT_EQ(names.FreeName("abcdefgh-2.bmp"), "abcdef-2.bmp");
  EXPECT_EQ(names.FreeName("abcdefghij.bmp"), "abcdefgh.bmp");
  EXPECT_EQ(names.FreeName("ab-1.bmp"), "ab-1.bmp");
  names.Take("abcdef-2.bmp");
  EXPECT_EQ(names.FreeName("abcdefgh-2.bmp"), "abcd-2_2.bmp");
  EXPECT_EQ(names.FreeName("abcdefghij-"), "abcdefghij-");  // no number after the dash
  EXPECT_EQ(names.FreeName("abcdefghijkl-"), "abcdefghijkl");
}

}  // namespace
}  // namespace tamsolo
