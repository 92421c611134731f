#include "queue/queue_texts.h"

#include <gtest/gtest.h>

#include "support/code_page.h"

namespace tamsolo {
namespace {

TEST(QueueTexts, ItemTextAndCaption) {
  EXPECT_EQ(ItemText("C:\\scans\\vol1\\p001.jpg", PathStyle::Windows), "vol1\\p001.jpg");
  EXPECT_EQ(ItemText("C:\\p.jpg", PathStyle::Windows), "\\p.jpg");
  // "12ファイル"
  EXPECT_EQ(RemainCaption(12),
            testing::CodePageBytes("12\x83\x74\x83\x40\x83\x43\x83\x8B",
                                   "12\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB"));
}

}  // namespace
}  // namespace tamsolo
