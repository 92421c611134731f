#pragma once

#include <windows.h>

#include <string>

// Pieces of the stand-in builder: its event log, its recording edits and its modal windows.
namespace tamsolo::standin {

// Appends one line per event to events.txt in the record folder, opening the file for each
// line so that a test can read it at any moment; trace.txt has the same lines and a few more,
// each with the time.
class EventLog {
 public:
  explicit EventLog(std::string folder) : folder_(std::move(folder)) {}
  void Write(const std::string& line) const;
  // Also with the time in milliseconds, into trace.txt, for reading when a test fails.
  void Trace(const std::string& line) const;
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

// A child window of any class, visible unless style says otherwise.
HWND AddChild(HWND parent, const char* className, const std::string& text, DWORD style, int x,
              int y, int width, int height, int id = 0);

// A push button; its clicks reach the parent as WM_COMMAND BN_CLICKED.
HWND AddButton(HWND parent, const std::string& caption, int x, int y, int width, int height,
               int id);

// A plain container that passes its children's notifications up to its own parent.
HWND AddPanel(HWND parent, int x, int y, int width, int height, bool visible = true);

// An "Edit" control that records the bytes it receives as WM_CHAR, lead and trail bytes in
// turn, since Wine's ANSI edit decodes each byte on its own and cannot be read back. Its
// selection is all or nothing. The window owns the object and deletes it when destroyed.
class TypedEdit {
 public:
  static TypedEdit* Create(HWND parent, int x, int y, int width, int height, int id);

  HWND Handle() const { return handle_; }
  const std::string& Bytes() const { return bytes_; }
  void Clear();
  void SelectAll();

 private:
  explicit TypedEdit(HWND handle);
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND handle_;
  WNDPROC original_ = nullptr;
  std::string bytes_;
  bool allSelected_ = false;
};

// Registers the stand-in's window classes once; mainProc serves kMainClass.
void RegisterClasses(WNDPROC mainProc);

// A top-level window owned by another and run modally: Run returns when End is called, so a
// click that opens it returns only once it is closed.
class ModalWindow {
  friend void RegisterClasses(WNDPROC mainProc);

 public:
  virtual ~ModalWindow() = default;
  void Run(HWND owner, const std::string& title, int width, int height);

 protected:
  virtual void CreateControls() = 0;
  virtual void OnButton(int id) = 0;
  virtual void OnShown() {}
  void End();
  HWND Handle() const { return handle_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND handle_ = nullptr;
  bool done_ = false;
};

inline constexpr char kMainClass[] = "TamsoloStandInMain";

}  // namespace tamsolo::standin
