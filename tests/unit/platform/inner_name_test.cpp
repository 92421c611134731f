#include <gtest/gtest.h>

#include "platform/file_name_map.h"
#include "platform/inner_name.h"

namespace tamsolo {
namespace {

constexpr PathStyle kPosix = PathStyle::Posix;
constexpr PathStyle kWin = PathStyle::Windows;

// 表 and ソ end in 0x5C in code page 932; 漫画 and ｱ are there too, é and 😀 are not.
const std::string kHyoUtf8 = "\xE8\xA1\xA8", kSoUtf8 = "\xE3\x82\xBD";
const std::string kHyo = "\x95\x5C", kSo = "\x83\x5C", kManga = "\x96\x9F\x89\xE6";
const std::string kMangaUtf8 = "\xE6\xBC\xAB\xE7\x94\xBB";

TEST(InnerName, DecodesAndSeparatesForEachStyle) {
  const struct {
    std::string name;
    bool utf8;
    std::string posix, windows;
  } cases[] = {
      {kMangaUtf8 + "/p1.jpg", true, kMangaUtf8 + "/p1.jpg", kManga + "\\p1.jpg"},
      {kHyoUtf8 + "\\" + kSoUtf8 + ".jpg", false, kHyoUtf8 + "/" + kSoUtf8 + ".jpg",
       kHyo + "\\" + kSo + ".jpg"},
      // Unflagged and not UTF-8: code page 932, whose trail bytes do not separate.
      {kHyo + "\\" + kSo + "/x.jpg", false, kHyoUtf8 + "/" + kSoUtf8 + "/x.jpg",
       kHyo + "\\" + kSo + "\\x.jpg"},
      {"\xB1.jpg", false, "\xEF\xBD\xB1.jpg", "\xB1.jpg"},
      // Flagged UTF-8 is never read as code page 932, even where that would be valid.
      {kHyo + ".jpg", true, "%95/.jpg", "%95\\.jpg"},
      // Valid in neither: 0x81 cannot lead "/", 0x95 needs a trail byte.
      {"\x81/a%.jpg", false, "%81/a%25.jpg", "%81\\a%25.jpg"},
      {"a\x95", false, "a%95", "a%95"},
      {"\xC3\xA9\xF0\x9F\x98\x80.jpg", true, "\xC3\xA9\xF0\x9F\x98\x80.jpg",
       "_u00E9_U0001F600.jpg"},
      {"\xC0\xAF", true, "%C0%AF", "%C0%AF"},  // an overlong "/" is no separator
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InnerNameText(c.name, c.utf8, kPosix), c.posix) << c.posix;
    EXPECT_EQ(InnerNameText(c.name, c.utf8, kWin), c.windows) << c.posix;
  }
}

TEST(FileNameMap, MakesWindowsNamesTheSystemKeeps) {
  const struct {
    std::string name, windows;
  } cases[] = {
      {"a:b*c?d\"e<f>g|h",
       "a\x81\x46"
       "b\x81\x96"
       "c\x81\x48"
       "d\xFA\x57"
       "e\x81\x83"
       "f\x81\x84"
       "g\x81\x62"
       "h"},
      {"\x81\x7C|" + kHyo, "\x81\x7C\x81\x62" + kHyo},  // 0x7C and 0x5C as trail bytes stay
      {"p\x01\x1F\x7F", "p_u0001_u001F_u007F"},
      {"p. .", "p"},
      {kHyo + " ", kHyo},
      {"con", "_con"},
      {"Nul.txt", "_Nul.txt"},
      {"COM1.tar.gz", "_COM1.tar.gz"},
      {"lpt9 .jpg", "_lpt9 .jpg"},
      {"AUX.", "_AUX"},
      {"COM0", "COM0"},
      {"CONSOLE", "CONSOLE"},
      {"NUL-1", "NUL-1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MapFileName(c.name, kWin), c.windows) << c.name;
    EXPECT_EQ(MapFileName(c.name, kPosix), c.name);
  }
}

}  // namespace
}  // namespace tamsolo
