#include "platform/x87_precision.h"

#include <gtest/gtest.h>

#include <array>

#include "support/x87_thread.h"

namespace tamsolo {
namespace {

TEST(X87ExtendedPrecision, SetsFullPrecisionAndNearestThenRestores) {
  const auto words = OnThreadIn53BitMode([] {
    const auto before = static_cast<uint16_t>(ReadX87ControlWord() | 0x0C00);  // round to zero
    LoadX87ControlWord(before);
    uint16_t inside;
    {
      X87ExtendedPrecision precision;
      inside = ReadX87ControlWord();
    }
    return std::array<uint16_t, 3>{before, inside, ReadX87ControlWord()};
  });
  EXPECT_EQ(words[0] & kX87PrecisionMask, kX87Precision53);
  EXPECT_EQ(words[1] & kX87PrecisionMask, kX87Precision64);
  EXPECT_EQ(words[1] & kX87RoundingMask, 0);
  EXPECT_EQ(words[1] & ~(kX87PrecisionMask | kX87RoundingMask),
            words[0] & ~(kX87PrecisionMask | kX87RoundingMask));
  EXPECT_EQ(words[2], words[0]);
}

}  // namespace
}  // namespace tamsolo
