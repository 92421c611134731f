#include <windows.h>

#include <gtest/gtest.h>

#include "app/error_text.h"
#include "app/filter_setting.h"
#include "app/form_controls_win.h"
#include "platform/system_text.h"

namespace tamsolo {
namespace {

TEST(FilterSetting, ValuesOfTheSettingsFile) {
  const struct {
    const char* text;
    int32_t index;
  } cases[] = {{"3", 3},         {"0", 0},         {"6", 6},          {"7", 5},   {"-1", 5},
               {"", 5},          {"abc", 5},       {"0x6", 6},        {"0X6", 6}, {"$2", 2},
               {"$a", 5},        {"03", 3},        {" 3", 3},         {"+3", 3},  {"3 ", 5},
               {"0x", 5},        {"$", 5},         {"4294967299", 5}, {"1e0", 5}, {"-0", 0},
               {"$FFFFFFFF", 5}, {"$100000003", 5}};
  for (const auto& c : cases)
    EXPECT_EQ(FilterIndexFromSetting(c.text), c.index) << '"' << c.text << '"';
  EXPECT_EQ(ParseSettingInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseSettingInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseSettingInteger("2147483648"), std::nullopt);
  EXPECT_TRUE(CleanFromSetting("1") && CleanFromSetting("1")->deskew && CleanFromSetting(" 2"));
  EXPECT_FALSE(CleanFromSetting("0") || CleanFromSetting("") || CleanFromSetting("yes"));
}

TEST(FilterSetting, SettingsFileLiesBesideTheProgram) {
  EXPECT_EQ(SettingsFilePath("C:\\Tools\\Tamsolo.exe"), "C:\\Tools\\Tamsolo.ini");
  EXPECT_EQ(SettingsFilePath("C:\\v1.2\\Tamsolo"), "C:\\v1.2\\Tamsolo.ini");
  // ソ ends in 0x5C: it stays part of the folder's name.
  EXPECT_EQ(SettingsFilePath("C:\\\x83\x5C\\a.b.exe"), "C:\\\x83\x5C\\a.b.ini");
}

TEST(ErrorText, FullStopUnlessTheTextEndsAtOrBelowIt) {
  EXPECT_EQ(ErrorBoxText("Disk full"), "Disk full.");
  EXPECT_EQ(ErrorBoxText("Disk full."), "Disk full.");
  EXPECT_EQ(ErrorBoxText("code (5)"), "code (5)");
  EXPECT_EQ(ErrorBoxText(""), ".");
  EXPECT_EQ(FolderErrorText(3), SystemText("ファイル名の指定が間違っています."));
  EXPECT_EQ(FolderErrorText(5), SystemText("ファイルへのアクセスが拒否されました."));
  EXPECT_EQ(FolderErrorText(183), SystemText("I/O エラー (183)"));
}

// The font cannot be asked for from another process: every control must carry the form's
// font, since a child takes none from its parent.
TEST(FormControls, EveryControlUsesTheFormsFont) {
  HWND parent = CreateWindowExA(0, "Static", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  FormFont font;
  FormControls controls;
  controls.Create(parent, font.Handle());
  const HWND all[] = {controls.Label1,
                      controls.FileList,
                      controls.RemainLabel,
                      controls.GroupBox1,
                      controls.ConvertingFileLabel,
                      controls.StartButton,
                      controls.StopButton};
  for (const HWND control : all) {
    const auto used = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    ASSERT_NE(used, nullptr);
    LOGFONTA logFont = {};
    ASSERT_EQ(GetObjectA(used, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
    EXPECT_EQ(logFont.lfHeight, -12);
    EXPECT_EQ(logFont.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_STREQ(logFont.lfFaceName,
                 "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
  }
  // The label sizes itself to its text, in that font.
  controls.SetConvertingFile(SystemText("vol1\\p001.jpg"), font.Handle());
  RECT rect;
  GetClientRect(controls.ConvertingFileLabel, &rect);
  EXPECT_GT(rect.right, 30);
  EXPECT_EQ(rect.bottom, 12);
  DestroyWindow(parent);
}

}  // namespace
}  // namespace tamsolo
