#include "queue/book_key.h"

#include <gtest/gtest.h>

namespace tamsolo {
namespace {

TEST(BookKey, KeyAndTitle) {
  EXPECT_EQ(BookKeyOf("/scans/vol1/p001.jpg", PathStyle::Posix), "vol1/");
  EXPECT_EQ(BookTitleOf("\x83\x5c\\", PathStyle::Windows),
            "\x83\x5c");  // ソ keeps its 0x5C trail byte
  EXPECT_EQ(BookTitleOf("\\", PathStyle::Windows), "");
}

}  // namespace
}  // namespace tamsolo
