#include <gtest/gtest.h>

#include "platform/name_fit.h"

namespace tamsolo {
namespace {

constexpr PathStyle kPosix = PathStyle::Posix;
constexpr PathStyle kWin = PathStyle::Windows;

TEST(NameFit, CutsTheStemOnACharacterBoundary) {
  const std::string a = "\xE3\x81\x82";  // あ in UTF-8
  const std::string hyo = "\x95\x5C";    // 表 in Shift-JIS: its trail byte is "\"
  const struct {
    std::string head, stem, tail;
    size_t room;
    PathStyle style;
    std::string fitted;
  } cases[] = {
      {"0001_", "page", ".bmp", 13, kPosix, "0001_page.bmp"},
      {"0001_", "page", ".bmp", 12, kPosix, "0001_pag.bmp"},
      {"", "x" + a + a, ".bmp", 10, kPosix, "x" + a + ".bmp"},
      {"", "x" + a + a, ".bmp", 9, kPosix, "x" + a + ".bmp"},
      {"", "x" + a + a, ".bmp", 7, kPosix, "x.bmp"},
      {"", "x" + hyo + hyo, " (2)", 8, kWin, "x" + hyo + " (2)"},
      {"", "x" + hyo + hyo, " (2)", 6, kWin, "x (2)"},
      {"", "x" + hyo + hyo, " (2)", 9, kWin, "x" + hyo + hyo + " (2)"},
      {"", hyo + "x", "", 1, kWin, ""},
      {"", "\x80\x80\x80", "", 2, kPosix, ""},  // no boundary at all: nothing kept
      {"0001_", "page", ".bmp", 8, kPosix, "0001_.bmp"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FitName(c.head, c.stem, c.tail, c.room, c.style), c.fitted) << c.fitted;
}

// POSIX limits each name, Windows the whole path with its NUL.
TEST(NameFit, RoomFollowsThePathStyle) {
  EXPECT_EQ(NameRoom(0, kPosix), 255u);
  EXPECT_EQ(NameRoom(4000, kPosix), 255u);
  EXPECT_EQ(NameRoom(3, kWin), 256u);  // "C:\" + 256 bytes + NUL = 260
  EXPECT_EQ(NameRoom(258, kWin), 1u);
  EXPECT_EQ(NameRoom(259, kWin), 0u);
  EXPECT_EQ(NameRoom(300, kWin), 0u);
}

}  // namespace
}  // namespace tamsolo
