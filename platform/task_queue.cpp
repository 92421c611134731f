#include "platform/task_queue.h"

#include "platform/error.h"

namespace tamsolo {

struct TaskQueue::Task {
  std::function<void()> step;
  bool waited = false;  // a RunAndWait caller blocks on done
  bool done = false;
  std::exception_ptr error;
  std::condition_variable finished;
};

TaskQueue::TaskQueue() : owner_(std::this_thread::get_id()) {}

void TaskQueue::RunAndWait(const std::function<void()>& step, const Wake& wake) {
  if (std::this_thread::get_id() == owner_) {
    step();
    return;
  }
  auto task = std::make_shared<Task>();
  task->step = step;
  task->waited = true;
  {
    std::lock_guard lock(mutex_);
    if (refused_)
      throw Error(refusal_);
    tasks_.push_back(task);
    arrived_.notify_all();
  }
  wake();
  std::unique_lock lock(mutex_);
  task->finished.wait(lock, [&] { return task->done; });
  if (task->error)
    std::rethrow_exception(task->error);
}

bool TaskQueue::Post(std::function<void()> step) {
  auto task = std::make_shared<Task>();
  task->step = std::move(step);
  std::lock_guard lock(mutex_);
  if (refused_)
    return false;
  tasks_.push_back(std::move(task));
  arrived_.notify_all();
  return true;
}

void TaskQueue::Finish(Task& task, std::exception_ptr error) {
  std::lock_guard lock(mutex_);
  task.error = std::move(error);
  task.done = true;
  task.finished.notify_all();
}

size_t TaskQueue::RunPending(const ErrorSink& onPostedError) {
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
    if (task->waited)
      Finish(*task, error);
    else if (error && onPostedError)
      onPostedError(error);
  }
}

bool TaskQueue::WaitForStep(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, timeout, [&] { return !tasks_.empty(); });
}

void TaskQueue::Refuse(const std::string& reason) {
  std::deque<std::shared_ptr<Task>> dropped;
  {
    std::lock_guard lock(mutex_);
    refused_ = true;
    refusal_ = reason;
    dropped.swap(tasks_);
  }
  const auto error = std::make_exception_ptr(Error(reason));
  for (const std::shared_ptr<Task>& task : dropped) {
    if (task->waited)
      Finish(*task, error);
  }
}

}  // namespace tamsolo
