#include "cli/tick_driver.h"

#include <utility>

namespace tamsolo {

TickDriver::TickDriver(std::function<void()> tick, Clock& clock)
    : tick_(std::move(tick)), clock_(clock), next_(clock.Now() + kInterval) {}

std::chrono::milliseconds TickDriver::Poll() {
  const auto now = clock_.Now();
  if (now >= next_) {
    ++ticks_;
    next_ = now + kInterval;
    tick_();
    return kInterval;
  }
  return std::chrono::ceil<std::chrono::milliseconds>(next_ - now);
}

}  // namespace tamsolo
