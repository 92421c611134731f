#include <gtest/gtest.h>

#include "platform/current_folder.h"
#include "platform/path_normal.h"

namespace tamsolo {
namespace {

constexpr auto kWin = PathStyle::Windows;
constexpr auto kPosix = PathStyle::Posix;

// ".." stays for the system: b may be a link, and then b/.. is not a.
TEST(NormalizePath, PosixPaths) {
  EXPECT_EQ(NormalizePath("/a/./b/../c/", "/w", kPosix), "/a/b/../c");
  EXPECT_EQ(NormalizePath("../x//y", "/w/d", kPosix), "/w/d/../x/y");
  EXPECT_EQ(NormalizePath(".", "/w/d", kPosix), "/w/d");
  EXPECT_EQ(NormalizePath("/../..", "/w", kPosix), "/../..");
  EXPECT_EQ(NormalizePath("vol1/", "/", kPosix), "/vol1");
}

TEST(NormalizePath, WindowsPaths) {
  EXPECT_EQ(NormalizePath("C:\\scans\\.\\vol1\\..\\vol2\\", "D:\\w", kWin), "C:\\scans\\vol2");
  EXPECT_EQ(NormalizePath("d:/x/y", "C:\\w", kWin), "d:\\x\\y");
  EXPECT_EQ(NormalizePath("\\x", "D:\\w", kWin), "D:\\x");
  EXPECT_EQ(NormalizePath("..\\..\\..", "C:\\w", kWin), "C:\\");
  EXPECT_EQ(NormalizePath("C:x", "c:\\w", kWin), "c:\\w\\x");
  EXPECT_EQ(NormalizePath("\\\\srv\\share\\a\\..\\..\\b", "C:\\w", kWin), "\\\\srv\\share\\b");
  // ソ (0x83 0x5C) and 表 (0x95 0x5C) end in 0x5C but are no delimiters.
  EXPECT_EQ(NormalizePath("\x83\x5c\\..\\\x95\x5c\\p.jpg", "C:\\w", kWin),
            "C:\\w\\\x95\x5c\\p.jpg");
  EXPECT_EQ(NormalizePath("\x95\x5c", "C:\\\x83\x5c", kWin), "C:\\\x83\x5c\\\x95\x5c");
}

TEST(CurrentFolder, IsAbsoluteAndAlreadyNormal) {
  const std::string current = CurrentFolder();
  EXPECT_EQ(NormalizePath(".", current, NativePathStyle()), current);
}

}  // namespace
}  // namespace tamsolo
