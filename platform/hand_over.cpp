#include "platform/hand_over.h"

namespace tamsolo {

// The queue itself wakes a WaitAndRun that sleeps on it.
void QueuedHandOver::Synchronize(const std::function<void()>& step) {
  tasks_.RunAndWait(step, [] {});
}

void QueuedHandOver::Queue(std::function<void()> step) {
  tasks_.Post(std::move(step));
}

size_t QueuedHandOver::RunPending() {
  return tasks_.RunPending([](std::exception_ptr error) { std::rethrow_exception(error); });
}

size_t QueuedHandOver::WaitAndRun(std::chrono::milliseconds timeout) {
  tasks_.WaitForStep(timeout);
  return RunPending();
}

}  // namespace tamsolo
