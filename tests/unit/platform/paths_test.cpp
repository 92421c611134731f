#include "platform/paths.h"

#include <gtest/gtest.h>

namespace tamsolo {
namespace {

constexpr auto kWin = PathStyle::Windows;
constexpr auto kPosix = PathStyle::Posix;

// Shift-JIS: 表 is 0x95 0x5C, ソ is 0x83 0x5C, ア is 0x83 0x41.
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

TEST(WindowsPaths, SplitsAtLastBackslashOrColon) {
  EXPECT_EQ(FolderPart("C:\\scans\\vol1\\p001.jpg", kWin), "C:\\scans\\vol1\\");
  EXPECT_EQ(FileNamePart("C:\\scans\\vol1\\p001.jpg", kWin), "p001.jpg");
  EXPECT_EQ(FolderPart("C:p.jpg", kWin), "C:");
  EXPECT_EQ(FileNamePart("C:p.jpg", kWin), "p.jpg");
  EXPECT_EQ(FileNamePart("a/b.jpg", kWin), "a/b.jpg");
}

TEST(WindowsPaths, TrailByte5CIsNeverADelimiter) {
  const std::string folder = "C:\\" + kHyou + "\\";
  EXPECT_EQ(FolderPart(folder + kSo + ".jpg", kWin), folder);
  EXPECT_EQ(FileNamePart("C:\\" + kHyou + kSo + ".jpg", kWin), kHyou + kSo + ".jpg");
  EXPECT_EQ(ParentFolderName("C:\\x\\" + kHyou + "\\p.jpg", kWin), kHyou);
  EXPECT_EQ(ParentFolderName("C:\\x\\a" + kSo + "\\p.jpg", kWin), "a" + kSo);
}

TEST(WindowsPaths, TrailingDelimiterRespectsDoubleByteCharacters) {
  EXPECT_EQ(AddTrailingDelimiter("C:\\a", kWin), "C:\\a\\");
  EXPECT_EQ(AddTrailingDelimiter("C:\\a\\", kWin), "C:\\a\\");
  EXPECT_EQ(AddTrailingDelimiter("C:\\" + kSo, kWin), "C:\\" + kSo + "\\");
  EXPECT_EQ(RemoveTrailingDelimiter("vol1\\", kWin), "vol1");
  EXPECT_EQ(RemoveTrailingDelimiter("vol1\\\\", kWin), "vol1\\");
  EXPECT_EQ(RemoveTrailingDelimiter(kSo, kWin), kSo);
  EXPECT_EQ(RemoveTrailingDelimiter(kSo + "\\", kWin), kSo);
  EXPECT_EQ(RemoveTrailingDelimiter("\\", kWin), "");
}

TEST(WindowsPaths, RootFilesHaveAnEmptyParentName) {
  EXPECT_EQ(ParentFolderName("C:\\p.jpg", kWin), "");
  EXPECT_EQ(ParentFolderName("C:\\scans\\vol1\\p001.jpg", kWin), "vol1");
}

TEST(PosixPaths, OnlySlashDelimitsAndUtf8StaysWhole) {
  const std::string kokoro = "\xE3\x81\x93\xE3\x81\x93\xE3\x82\x8D";  // こころ
  EXPECT_EQ(ParentFolderName("/data/" + kokoro + "/p.jpg", kPosix), kokoro);
  EXPECT_EQ(FileNamePart("/a/b\\c:d.jpg", kPosix), "b\\c:d.jpg");
  EXPECT_EQ(AddTrailingDelimiter("/a", kPosix), "/a/");
  EXPECT_EQ(RemoveTrailingDelimiter("/a/", kPosix), "/a");
  EXPECT_EQ(ParentFolderName("/p.jpg", kPosix), "");
}

TEST(FileNames, ExtensionAndBaseNameUseTheLastDot) {
  for (auto style : {kWin, kPosix}) {
    EXPECT_EQ(BaseNameOf("scan.01.jpg", style), "scan.01");
    EXPECT_EQ(ExtensionOf("scan.01.jpg", style), ".jpg");
    EXPECT_EQ(BaseNameOf(".jpg", style), "");
    EXPECT_EQ(ExtensionOf(".jpg", style), ".jpg");
    EXPECT_EQ(ExtensionOf("noext", style), "");
    EXPECT_EQ(BaseNameOf("noext", style), "noext");
  }
  EXPECT_EQ(ExtensionOf("C:\\a.b\\c", kWin), "");
  EXPECT_EQ(ExtensionOf("/a.b/c", kPosix), "");
}

}  // namespace
}  // namespace tamsolo
