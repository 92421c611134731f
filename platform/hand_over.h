#pragma once

#include <chrono>
#include <functional>

#include "platform/task_queue.h"

namespace tamsolo {

// How long a loop that waits for work goes without looking at its stop flag: a Ctrl-C or a
// stop is noticed within this, well inside the 200 ms a stop may take.
inline constexpr std::chrono::milliseconds kInterruptPoll{20};

// How a worker reaches the owning (GUI) thread: the owner runs each step from its event
// loop, so every list and counter the steps touch stays on one thread and needs no lock.
class HandOver {
 public:
  virtual ~HandOver() = default;
  // Runs step on the owning thread and blocks until it has returned; an exception thrown by
  // the step is thrown again here. Called on the owning thread itself, it runs the step at once.
  virtual void Synchronize(const std::function<void()>& step) = 0;
  // Queues step to run on the owning thread later and returns at once.
  virtual void Queue(std::function<void()> step) = 0;
};

// Portable hand-over: the owner calls RunPending or WaitAndRun from its own loop.
class QueuedHandOver final : public HandOver {
 public:
  void Synchronize(const std::function<void()>& step) override;
  void Queue(std::function<void()> step) override;

  // Owner side: runs every step waiting now; returns how many ran. What a queued step threw
  // is thrown here, since nobody else waits for it.
  size_t RunPending();
  // Owner side: waits up to timeout for a step to arrive, then runs all waiting steps.
  size_t WaitAndRun(std::chrono::milliseconds timeout);

 private:
  TaskQueue tasks_;
};

}  // namespace tamsolo
