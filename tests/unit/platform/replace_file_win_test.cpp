#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/replace_file.h"
#include "support/temp_folder.h"

namespace tamsolo {
namespace {

const std::array<uint8_t, 3> kNew = {'n', 'e', 'w'};

void Write(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Read(const std::string& path) {
  return testing::ReadFileText(std::filesystem::path(path));
}

// The error text of replacing path, or "" when it was replaced.
std::string Replace(const std::string& path, StreamDevices devices = StreamDevices::Refused) {
  auto fs = MakeNativeFileSystem();
  try {
    ReplaceRegularFile(*fs, path, {kNew}, devices, PathStyle::Windows);
    return "";
  } catch (const std::exception& error) {
    return error.what();
  }
}

// The Windows twins of the output rules: a regular file is replaced, a reparse point, a folder
// or a device is refused (a device written when asked), and a file held open without delete
// sharing keeps its bytes, with nothing left beside it.
TEST(ReplaceRegularFileWin, ReplacesOnlyARegularFileAndLeavesNothingBehind) {
  testing::TempFolder temp;
  const std::string folder = temp.WithDelimiter();

  Write(folder + "old.png", "old");
  EXPECT_EQ(Replace(folder + "old.png"), "");
  EXPECT_EQ(Read(folder + "old.png"), "new");

  CreateDirectoryA((folder + "dir.png").c_str(), nullptr);
  EXPECT_NE(Replace(folder + "dir.png").find("it is a folder"), std::string::npos);

  Write(folder + "victim.txt", "mine");
  // Wine answers success without making the link (it has no reparse points); Windows makes
  // one, which is refused.
  const std::string link = folder + "link.png";
  if (CreateSymbolicLinkA(link.c_str(), "victim.txt", 0) &&
      GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
    EXPECT_NE(Replace(link).find("it is a link"), std::string::npos);
    EXPECT_EQ(Read(folder + "victim.txt"), "mine");
  }

  EXPECT_NE(Replace("NUL").find("a FIFO or a device"), std::string::npos);
  EXPECT_EQ(Replace("NUL", StreamDevices::Written), "");

  Write(folder + "held.png", "held");
  HANDLE held = CreateFileA((folder + "held.png").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_NE(Replace(folder + "held.png").find("held.png"), std::string::npos);
  CloseHandle(held);
  EXPECT_EQ(Read(folder + "held.png"), "held");

  for (const auto& entry : std::filesystem::directory_iterator(temp.Path()))
    EXPECT_EQ(entry.path().filename().string().rfind(".tamsolo-new-", 0), std::string::npos)
        << entry.path();
}

// One file has one identity, whatever the spelling: letter case and "..".
TEST(ReplaceRegularFileWin, IdentityIgnoresSpelling) {
  testing::TempFolder temp;
  CreateDirectoryA((temp.WithDelimiter() + "Sub").c_str(), nullptr);
  Write(temp.WithDelimiter() + "Sub\\Page.bmp", "x");
  const auto identity = FileIdentity(temp.WithDelimiter() + "Sub\\Page.bmp");
  ASSERT_TRUE(identity);
  EXPECT_EQ(FileIdentity(temp.WithDelimiter() + "sub\\..\\SUB\\page.BMP"), identity);
  EXPECT_NE(FileIdentity(temp.WithDelimiter() + "Sub"), identity);
  EXPECT_EQ(FileIdentity(temp.WithDelimiter() + "missing"), std::nullopt);
}

}  // namespace
}  // namespace tamsolo
