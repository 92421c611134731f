#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <utility>

namespace tamsolo {

// One owner for a Win32 handle. Closer names the handle's type, its "none" value (null or
// INVALID_HANDLE_VALUE, depending on the call that made it) and how it is given back.
template <typename Closer>
class UniqueHandle {
 public:
  using Type = typename Closer::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Type Get() const { return handle_; }
  bool Valid() const { return handle_ != Closer::None(); }
  // Gives the handle up without closing it.
  Type Release() { return std::exchange(handle_, Closer::None()); }
  void Reset(Type handle = Closer::None()) {
    const Type old = std::exchange(handle_, handle);
    if (old != Closer::None())
      Closer::Close(old);
  }

 private:
  Type handle_ = Closer::None();
};

// Events, threads and other kernel objects: none is null.
struct KernelCloser {
  using Type = HANDLE;
  static Type None() { return nullptr; }
  static void Close(Type handle) { CloseHandle(handle); }
};

// CreateFile's handles: none is INVALID_HANDLE_VALUE.
struct FileCloser {
  using Type = HANDLE;
  static Type None() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { CloseHandle(handle); }
};

// FindFirstFile's handles.
struct SearchCloser {
  using Type = HANDLE;
  static Type None() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { FindClose(handle); }
};

template <typename Object>
struct GdiCloser {
  using Type = Object;
  static Type None() { return nullptr; }
  static void Close(Type object) { DeleteObject(object); }
};

// A window this program made and nobody else destroys.
struct WindowCloser {
  using Type = HWND;
  static Type None() { return nullptr; }
  static void Close(Type window) { DestroyWindow(window); }
};

// The dropped-files handle of WM_DROPFILES.
struct DropCloser {
  using Type = HDROP;
  static Type None() { return nullptr; }
  static void Close(Type drop) { DragFinish(drop); }
};

using KernelHandle = UniqueHandle<KernelCloser>;
using FileHandle = UniqueHandle<FileCloser>;
using SearchHandle = UniqueHandle<SearchCloser>;
using FontHandle = UniqueHandle<GdiCloser<HFONT>>;
using WindowHandle = UniqueHandle<WindowCloser>;
using DropHandle = UniqueHandle<DropCloser>;

// A window's device context from GetDC, released to the same window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr)
      ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context for a while; the one it replaced goes back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace tamsolo
