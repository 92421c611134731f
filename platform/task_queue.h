#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tamsolo {

// The steps other threads hand to one owning thread, which runs them in order from its own
// loop. Under every hand-over: the hand-over only adds how the owner is woken.
class TaskQueue {
 public:
  using Wake = std::function<void()>;
  using ErrorSink = std::function<void(std::exception_ptr)>;

  // The constructing thread is the owner.
  TaskQueue();
  TaskQueue(const TaskQueue&) = delete;
  TaskQueue& operator=(const TaskQueue&) = delete;

  // Runs step on the owner and blocks until it has returned; what it threw is thrown again
  // here. wake runs once the step is queued. On the owner itself the step runs at once.
  void RunAndWait(const std::function<void()>& step, const Wake& wake);
  // Queues step and returns at once; false when the queue refuses steps.
  bool Post(std::function<void()> step);

  // Owner side: runs every step waiting now and returns how many ran. What a posted step
  // throws goes to onPostedError, since nobody waits for it.
  size_t RunPending(const ErrorSink& onPostedError);
  // Owner side: waits up to timeout for a step to arrive; true when one waits.
  bool WaitForStep(std::chrono::milliseconds timeout);
  // From now on no step runs: waiting callers and later RunAndWait calls fail with reason,
  // queued steps are dropped.
  void Refuse(const std::string& reason);

 private:
  struct Task;
  void Finish(Task& task, std::exception_ptr error);

  const std::thread::id owner_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::shared_ptr<Task>> tasks_;
  bool refused_ = false;
  std::string refusal_;
};

}  // namespace tamsolo
