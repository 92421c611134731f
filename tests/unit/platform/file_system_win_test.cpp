#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/error.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

// Shift-JIS names whose trail byte is 0x5C, the byte of "\": 表 (0x95 0x5C), ソ (0x83 0x5C).
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

bool Lists(FileSystem& fs, const std::string& folder, const std::string& name) {
  const auto entries = fs.ListFolder(folder);
  return entries && std::any_of(entries->begin(), entries->end(),
                                [&](const FileSystem::Entry& e) { return e.name == name; });
}

TEST(Win32FileSystem, KeepsTrailByte5CInsideNames) {
  ASSERT_EQ(GetACP(), 932u);
  testing::TempFolder temp;
  auto fs = MakeNativeFileSystem();
  const std::string top = temp.WithDelimiter() + kHyou;
  const std::string deep = top + "\\" + kSo + "\\a" + kSo;

  fs->CreateFolders(deep + "\\");
  EXPECT_EQ(fs->KindOf(deep), FileSystem::Kind::Folder);
  EXPECT_TRUE(Lists(*fs, temp.WithDelimiter(), kHyou));
  EXPECT_TRUE(Lists(*fs, top, kSo));
  EXPECT_TRUE(Lists(*fs, top + "\\" + kSo, "a" + kSo));
  EXPECT_EQ(fs->ListFolder(temp.WithDelimiter())->size(), 1u);

  const std::string page = deep + "\\" + kHyou + ".bmp";
  HANDLE file = CreateFileA(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  fs->CopyFile(page, top + "\\" + kSo + ".bmp");
  EXPECT_TRUE(Lists(*fs, top, kSo + ".bmp"));
  EXPECT_TRUE(fs->DeleteFile(page));
  EXPECT_TRUE(fs->DeleteFile(top + "\\" + kSo + ".bmp"));
  fs->RemoveFolder(deep);
  EXPECT_FALSE(Lists(*fs, top + "\\" + kSo, "a" + kSo));
}

TEST(Win32FileSystem, ErrorsCarryTheSystemCode) {
  testing::TempFolder temp;
  auto fs = MakeNativeFileSystem();
  try {
    fs->RemoveFolder(temp.WithDelimiter() + "missing");
    FAIL() << "removed a folder that does not exist";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.Code(), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(std::string(error.what()).find("missing"), std::string::npos);
  }
  try {
    fs->CreateFolderExclusive(temp.WithDelimiter());
    FAIL() << "created a folder that exists";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.Code(), ERROR_ALREADY_EXISTS);
  }
}

}  // namespace
}  // namespace tamsolo
