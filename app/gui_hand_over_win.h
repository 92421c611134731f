#pragma once

#include <windows.h>

#include <exception>
#include <functional>

#include "platform/hand_over.h"
#include "platform/task_queue.h"
#include "platform/win32_handle_win.h"

namespace tamsolo {

// The hand-over of the GUI thread: each step is queued and a message is posted at once to a
// message-only window of the GUI thread, whose procedure runs the waiting steps. So the steps
// run from the thread's own message loop (and from any modal loop it is in), never from a
// timer and never while the thread sits inside a sent message.
class GuiHandOver final : public HandOver {
 public:
  // onError receives what a queued step threw; a step run for Synchronize passes its error
  // back to the waiting thread instead.
  explicit GuiHandOver(std::function<void(std::exception_ptr)> onError);
  ~GuiHandOver() override;
  GuiHandOver(const GuiHandOver&) = delete;
  GuiHandOver& operator=(const GuiHandOver&) = delete;

  void Synchronize(const std::function<void()>& step) override;
  void Queue(std::function<void()> step) override;

  // Runs every step waiting now; returns how many ran.
  size_t RunPending();
  // Waits up to timeoutMs for a step, serving only messages sent to this thread meanwhile (a
  // watcher may be reading our windows' texts), then runs the waiting steps.
  void WaitAndRun(DWORD timeoutMs);
  // From now on no step runs: waiting and later Synchronize calls fail, queued steps are
  // dropped. For a shut-down that cannot wait for the job any longer.
  void Refuse();

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Tells the GUI thread that a step waits, in its message queue and in the event.
  void Wake();

  std::function<void(std::exception_ptr)> onError_;
  TaskQueue tasks_;
  KernelHandle arrived_;  // auto-reset event, set with each posted message
  WindowHandle window_;
};

}  // namespace tamsolo
