#include "queue/tick_driver.h"

namespace tamsolo {

TickDriver::TickDriver(QueueScheduler& scheduler, Clock& clock)
    : scheduler_(scheduler), clock_(clock), next_(clock.Now() + kInterval) {}

std::chrono::milliseconds TickDriver::Poll() {
  const auto now = clock_.Now();
  if (now >= next_) {
    ++ticks_;
    next_ = now + kInterval;
    scheduler_.MainTimerTimer();
    return kInterval;
  }
  return std::chrono::ceil<std::chrono::milliseconds>(next_ - now);
}

}  // namespace tamsolo
