#include <windows.h>

#include <gtest/gtest.h>

#include <string>

// The system's texts are compared byte for byte in Shift-JIS; every such comparison in the
// Windows tests is only meaningful when the process runs with that ANSI code page.
TEST(AnsiCodePage, IsShiftJis) {
  EXPECT_EQ(GetACP(), 932u);
}

TEST(AnsiCodePage, ConvertsJapaneseToShiftJisBytes) {
  const wchar_t text[] = L"\u6F2B\u8868\u30BD";  // 漫表ソ
  char bytes[16] = {};
  const int length = WideCharToMultiByte(CP_ACP, 0, text, 3, bytes, sizeof bytes, nullptr, nullptr);
  EXPECT_EQ(std::string(bytes, length), "\x96\x9F\x95\x5C\x83\x5C");
}
