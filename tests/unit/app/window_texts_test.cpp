#include "app/window_texts.h"

#include <gtest/gtest.h>

#include "support/code_page.h"

namespace tamsolo {
namespace {

TEST(WindowTexts, RemainCaptionInTheCodePage) {
  // "12ファイル"
  EXPECT_EQ(RemainCaption(12),
            testing::CodePageBytes("12\x83\x74\x83\x40\x83\x43\x83\x8B",
                                   "12\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB"));
}

}  // namespace
}  // namespace tamsolo
