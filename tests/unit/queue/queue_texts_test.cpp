#include "queue/queue_texts.h"

#include <gtest/gtest.h>

namespace tamsolo {
namespace {

TEST(QueueTexts, ItemTextIsTheBookKeyAndTheName) {
  EXPECT_EQ(ItemText("C:\\scans\\vol1\\p001.jpg", PathStyle::Windows), "vol1\\p001.jpg");
  EXPECT_EQ(ItemText("C:\\p.jpg", PathStyle::Windows), "\\p.jpg");
}

}  // namespace
}  // namespace tamsolo
