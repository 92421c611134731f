#include "app/gui_hand_over_win.h"

#include <condition_variable>

#include "platform/error.h"

namespace tamsolo {
namespace {

constexpr char kClassName[] = "TamsoloHandOver";
constexpr UINT kRunPending = WM_APP + 1;

[[noreturn]] void ThrowLastError(const std::string& what) {
  const DWORD code = GetLastError();
  throw SystemError(what + " failed (" + std::to_string(code) + ")", static_cast<int>(code));
}

void RegisterClassOnce(WNDPROC proc) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    ThrowLastError("RegisterClass");
}

}  // namespace

struct GuiHandOver::Task {
  std::function<void()> step;
  bool waited = false;
  bool done = false;
  std::exception_ptr error;
  std::condition_variable finished;
};

GuiHandOver::GuiHandOver(std::function<void(std::exception_ptr)> onError)
    : onError_(std::move(onError)), owner_(std::this_thread::get_id()) {
  RegisterClassOnce(&GuiHandOver::Proc);
  arrived_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (arrived_ == nullptr)
    ThrowLastError("CreateEvent");
  window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (window_ == nullptr) {
    CloseHandle(arrived_);
    ThrowLastError("CreateWindowEx");
  }
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

GuiHandOver::~GuiHandOver() {
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  CloseHandle(arrived_);
}

LRESULT CALLBACK GuiHandOver::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunPending) {
    auto* self = reinterpret_cast<GuiHandOver*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr)
      self->RunPending();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void GuiHandOver::Push(std::shared_ptr<Task> task) {
  {
    std::lock_guard lock(mutex_);
    if (refused_) {
      if (task->waited)
        throw Error("The window has closed");
      return;
    }
    tasks_.push_back(std::move(task));
  }
  PostMessageA(window_, kRunPending, 0, 0);
  SetEvent(arrived_);
}

void GuiHandOver::Synchronize(const std::function<void()>& step) {
  if (std::this_thread::get_id() == owner_) {
    step();
    return;
  }
  auto task = std::make_shared<Task>();
  task->step = step;
  task->waited = true;
  Push(task);
  std::unique_lock lock(mutex_);
  task->finished.wait(lock, [&] { return task->done; });
  if (task->error)
    std::rethrow_exception(task->error);
}

void GuiHandOver::Queue(std::function<void()> step) {
  auto task = std::make_shared<Task>();
  task->step = std::move(step);
  Push(std::move(task));
}

void GuiHandOver::Finish(Task& task, std::exception_ptr error) {
  std::lock_guard lock(mutex_);
  task.error = error;
  task.done = true;
  task.finished.notify_all();
}

size_t GuiHandOver::RunPending() {
  size_t count = 0;
  for (;;) {
    std::shared_ptr<Task> task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty() || refused_)
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
    else if (error && onError_)
      onError_(error);  // a queued step has nobody else to tell
  }
}

void GuiHandOver::WaitAndRun(DWORD timeoutMs) {
  const DWORD result = MsgWaitForMultipleObjects(1, &arrived_, FALSE, timeoutMs, QS_SENDMESSAGE);
  if (result == WAIT_OBJECT_0 + 1) {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  RunPending();
}

void GuiHandOver::Refuse() {
  std::deque<std::shared_ptr<Task>> dropped;
  {
    std::lock_guard lock(mutex_);
    refused_ = true;
    dropped.swap(tasks_);
  }
  for (const std::shared_ptr<Task>& task : dropped) {
    if (task->waited)
      Finish(*task, std::make_exception_ptr(Error("The window has closed")));
  }
}

}  // namespace tamsolo
