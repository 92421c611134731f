#include "platform/hand_over.h"

namespace tamsolo {

struct QueuedHandOver::Task {
  std::function<void()> step;
  bool waited = false;  // a Synchronize caller blocks on done
  bool done = false;
  std::exception_ptr error;
  std::condition_variable finished;
};

QueuedHandOver::QueuedHandOver() : owner_(std::this_thread::get_id()) {}

void QueuedHandOver::Synchronize(const std::function<void()>& step) {
  if (std::this_thread::get_id() == owner_) {
    step();
    return;
  }
  auto task = std::make_shared<Task>();
  task->step = step;
  task->waited = true;
  std::unique_lock lock(mutex_);
  tasks_.push_back(task);
  arrived_.notify_all();
  task->finished.wait(lock, [&] { return task->done; });
  if (task->error)
    std::rethrow_exception(task->error);
}

void QueuedHandOver::Queue(std::function<void()> step) {
  auto task = std::make_shared<Task>();
  task->step = std::move(step);
  std::lock_guard lock(mutex_);
  tasks_.push_back(std::move(task));
  arrived_.notify_all();
}

size_t QueuedHandOver::RunPending() {
  size_t count = 0;
  for (;;) {
    std::shared_ptr<Task> task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty())
        return count;
      task = tasks_.front();
      tasks_.pop_front();
    }
    std::exception_ptr error;
    try {
      task->step();
    } catch (...) {
      error = std::current_exception();
    }
    ++count;
    if (!task->waited) {
      if (error)
        std::rethrow_exception(error);  // a queued step has nobody else to tell
      continue;
    }
    std::lock_guard lock(mutex_);
    task->error = error;
    task->done = true;
    task->finished.notify_all();
  }
}

size_t QueuedHandOver::WaitAndRun(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return !tasks_.empty(); });
  }
  return RunPending();
}

}  // namespace tamsolo
