#include <gtest/gtest.h>

#include "cli/tick_driver.h"

namespace tamsolo {
namespace {

struct ManualClock : Clock {
  std::chrono::steady_clock::time_point now{};
  std::chrono::steady_clock::time_point Now() override { return now; }
};

// One tick per 500 ms interval measured from the last tick; a late poll does not catch up.
TEST(TickDriver, TicksOncePerIntervalAndSaysHowLongToWait) {
  using std::chrono::milliseconds;
  ManualClock clock;
  int ticks = 0;
  TickDriver driver([&] { ++ticks; }, clock);
  clock.now += milliseconds(499);
  EXPECT_EQ(driver.Poll(), milliseconds(1));
  EXPECT_EQ(ticks, 0);
  clock.now += milliseconds(1);
  EXPECT_EQ(driver.Poll(), milliseconds(500));
  EXPECT_EQ(ticks, 1);
  clock.now += milliseconds(1700);
  driver.Poll();
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(driver.Poll(), milliseconds(500));
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(driver.Ticks(), 2);
}

}  // namespace
}  // namespace tamsolo
