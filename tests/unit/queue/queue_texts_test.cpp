#include "queue/queue_texts.h"

#include <gtest/gtest.h>

#include "platform/system_text.h"

namespace tamsolo {
namespace {

TEST(QueueTexts, ItemTextAndCaption) {
  EXPECT_EQ(ItemText("C:\\scans\\vol1\\p001.jpg", PathStyle::Windows), "vol1\\p001.jpg");
  EXPECT_EQ(ItemText("C:\\p.jpg", PathStyle::Windows), "\\p.jpg");
  EXPECT_EQ(RemainCaption(12),
            "12" + SystemText("\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab"));
}

}  // namespace
}  // namespace tamsolo
