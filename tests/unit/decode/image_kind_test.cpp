#include "decode/image_kind.h"

#include <gtest/gtest.h>

namespace tamsolo {
namespace {

// One rule answers both "is it collected" and "which decoder reads it".
TEST(ImageKind, AcceptedExtensionsAndDecoderChoice) {
  const auto kWin = PathStyle::Windows;
  const auto kPosix = PathStyle::Posix;
  EXPECT_EQ(AcceptedImageKind("a.png", kPosix), DecoderKind::Png);
  EXPECT_EQ(AcceptedImageKind("a.PnG", kWin), DecoderKind::Png);
  EXPECT_EQ(AcceptedImageKind("a.bMp", kWin), DecoderKind::Bmp);
  EXPECT_EQ(AcceptedImageKind("a.jpeg", kWin), DecoderKind::Jpeg);
  EXPECT_EQ(AcceptedImageKind("a.JPG", kPosix), DecoderKind::Jpeg);
  EXPECT_EQ(AcceptedImageKind("a.gif", kWin), std::nullopt);
  EXPECT_EQ(AcceptedImageKind("a.jpg\\b", kWin), std::nullopt);
  EXPECT_EQ(AcceptedImageKind("a.jpg/b", kPosix), std::nullopt);
  EXPECT_EQ(AcceptedImageKind("a", kWin), std::nullopt);
  EXPECT_EQ(DecoderForPath("a.gif", kWin), DecoderKind::Jpeg);
  EXPECT_EQ(DecoderForPath("a", kWin), DecoderKind::Jpeg);
  EXPECT_EQ(AcceptedImageKind("a.wEbP", kWin), DecoderKind::Webp);
  EXPECT_EQ(AcceptedImageKind("a.webp", kPosix, InputSet::Classic), std::nullopt);
  EXPECT_EQ(DecoderForPath("a.webp", kPosix, InputSet::Classic), DecoderKind::Jpeg);  // as before
}

}  // namespace
}  // namespace tamsolo
