#pragma once

#include <chrono>
#include <functional>

namespace tamsolo {

// Where the scheduler's timer reads the time; tests substitute a clock they move by hand.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::steady_clock::time_point Now() = 0;
};

class SteadyClock final : public Clock {
 public:
  std::chrono::steady_clock::time_point Now() override { return std::chrono::steady_clock::now(); }
};

// The scheduler's 500 ms timer for owners without a window timer: the owner's loop calls
// Poll, which calls tick (the scheduler's MainTimerTimer) once for each interval that has passed
// since the last tick (missed ticks are not caught up), and waits at most the returned time before
// polling again.
class TickDriver {
 public:
  static constexpr std::chrono::milliseconds kInterval{500};

  TickDriver(std::function<void()> tick, Clock& clock);

  std::chrono::milliseconds Poll();
  int Ticks() const { return ticks_; }

 private:
  std::function<void()> tick_;
  Clock& clock_;
  std::chrono::steady_clock::time_point next_;
  int ticks_ = 0;
};

}  // namespace tamsolo
