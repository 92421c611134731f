#include "app/gui_hand_over_win.h"

#include "platform/last_error_win.h"

namespace tamsolo {
namespace {

constexpr char kClassName[] = "TamsoloHandOver";
constexpr UINT kRunPending = WM_APP + 1;

void RegisterClassOnce(WNDPROC proc) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    ThrowLastError("Cannot register the hand-over's window class");
}

}  // namespace

GuiHandOver::GuiHandOver(std::function<void(std::exception_ptr)> onError)
    : onError_(std::move(onError)) {
  RegisterClassOnce(&GuiHandOver::Proc);
  arrived_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!arrived_.Valid())
    ThrowLastError("Cannot create the hand-over's event");
  window_.Reset(CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr));
  if (!window_.Valid())
    ThrowLastError("Cannot create the hand-over's window");
  SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

GuiHandOver::~GuiHandOver() {
  SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
}

// Nothing crosses the window procedure. Should reporting a step's error fail, the steps
// behind it are asked for again, so that no waiting job is left blocked.
LRESULT CALLBACK GuiHandOver::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunPending)
    return DefWindowProcA(window, message, wParam, lParam);
  auto* self = reinterpret_cast<GuiHandOver*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr)
    return 0;
  try {
    self->RunPending();
  } catch (...) {
    PostMessageA(window, kRunPending, 0, 0);
  }
  return 0;
}

void GuiHandOver::Wake() {
  PostMessageA(window_.Get(), kRunPending, 0, 0);
  SetEvent(arrived_.Get());
}

void GuiHandOver::Synchronize(const std::function<void()>& step) {
  tasks_.RunAndWait(step, [this] { Wake(); });
}

void GuiHandOver::Queue(std::function<void()> step) {
  if (tasks_.Post(std::move(step)))
    Wake();
}

size_t GuiHandOver::RunPending() {
  return tasks_.RunPending(onError_);
}

void GuiHandOver::WaitAndRun(DWORD timeoutMs) {
  const HANDLE event = arrived_.Get();
  const DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, timeoutMs, QS_SENDMESSAGE);
  if (result == WAIT_OBJECT_0 + 1) {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  RunPending();
}

void GuiHandOver::Refuse() {
  tasks_.Refuse("The window has closed");
}

}  // namespace tamsolo
