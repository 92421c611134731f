#include "standin_support_win.h"

#include <cstdio>

namespace tamsolo::standin {
namespace {

constexpr char kPanelClass[] = "TamsoloStandInPanel";
constexpr char kModalClass[] = "TamsoloStandInModal";

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND)
    return SendMessageA(GetParent(window), message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  RegisterClassA(&windowClass);
}

}  // namespace

namespace {

void AppendLine(const std::string& path, const std::string& line) {
  if (FILE* file = std::fopen(path.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

}  // namespace

void EventLog::Write(const std::string& line) const {
  AppendLine(folder_ + "\\events.txt", line);
  Trace(line);
}

void EventLog::Trace(const std::string& line) const {
  AppendLine(folder_ + "\\trace.txt", std::to_string(GetTickCount64()) + " " + line);
}

HWND AddChild(HWND parent, const char* className, const std::string& text, DWORD style, int x,
              int y, int width, int height, int id) {
  return CreateWindowExA(0, className, text.c_str(), WS_CHILD | style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

HWND AddButton(HWND parent, const std::string& caption, int x, int y, int width, int height,
               int id) {
  return AddChild(parent, "Button", caption, WS_VISIBLE | BS_PUSHBUTTON, x, y, width, height, id);
}

HWND AddPanel(HWND parent, int x, int y, int width, int height, bool visible) {
  return AddChild(parent, kPanelClass, "", visible ? WS_VISIBLE : 0, x, y, width, height);
}

TypedEdit::TypedEdit(HWND handle) : handle_(handle) {}

TypedEdit* TypedEdit::Create(HWND parent, int x, int y, int width, int height, int id) {
  HWND handle = AddChild(parent, "Edit", "", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, x, y, width,
                         height, id);
  auto* edit = new TypedEdit(handle);
  SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(edit));
  edit->original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TypedEdit::Proc)));
  return edit;
}

void TypedEdit::Clear() {
  bytes_.clear();
  allSelected_ = false;
  SetWindowTextA(handle_, "");
}

void TypedEdit::SelectAll() {
  allSelected_ = !bytes_.empty();
  SendMessageA(handle_, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK TypedEdit::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TypedEdit*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  const WNDPROC original = self->original_;
  if (message == WM_CHAR) {
    // Typing over a whole selection replaces it, as in a real edit.
    if (self->allSelected_)
      self->bytes_.clear();
    self->allSelected_ = false;
    self->bytes_ += static_cast<char>(wParam & 0xFF);
  } else if (message == WM_CLEAR && self->allSelected_) {
    self->bytes_.clear();
    self->allSelected_ = false;
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete self;
  }
  return CallWindowProcA(original, window, message, wParam, lParam);
}

void ModalWindow::Run(HWND owner, const std::string& title, int width, int height) {
  done_ = false;
  handle_ = CreateWindowExA(0, kModalClass, title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 60,
                            60, width, height, owner, nullptr, GetModuleHandleA(nullptr), this);
  if (handle_ == nullptr)
    return;
  CreateControls();
  EnableWindow(owner, FALSE);
  ShowWindow(handle_, SW_SHOW);
  OnShown();
  MSG message;
  while (!done_) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  EnableWindow(owner, TRUE);
  if (IsWindow(handle_))
    DestroyWindow(handle_);
  handle_ = nullptr;
}

void ModalWindow::End() {
  done_ = true;
  // A click sent from another process is served inside GetMessage, which goes on waiting
  // for a posted message; this one lets the loop see that it is done.
  PostMessageA(handle_, WM_NULL, 0, 0);
}

LRESULT CALLBACK ModalWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ModalWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      self->OnButton(LOWORD(wParam));
      return 0;
    }
    if (message == WM_CLOSE) {
      self->OnButton(IDCANCEL);
      return 0;
    }
    if (message == WM_DESTROY)
      self->done_ = true;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClasses(WNDPROC mainProc) {
  Register(kMainClass, mainProc);
  Register(kPanelClass, &PanelProc);
  Register(kModalClass, &ModalWindow::Proc);
}

}  // namespace tamsolo::standin
