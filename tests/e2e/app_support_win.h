#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace tamsolo::e2e {

// The control ids of the main window, as a test sees them from outside.
enum AppControl : int {
  kLabel1 = 100,
  kFileList,
  kRemainLabel,
  kGroupBox1,
  kConvertingFileLabel,
  kStartButton,
  kStopButton,
};

// Where the built programs lie, seen from the test's own folder.
std::string AppExecutable();
std::string CliExecutable();
// The folder the package script fills before zipping it.
std::string PackageFolder();

// Runs a program and waits for it; returns its exit code, or -1 when it did not start or end.
int RunProgram(const std::string& commandLine, DWORD timeoutMs);

// Writes a DROPFILES block with the paths (as UTF-16 when wide) into the process that owns
// target and posts it WM_DROPFILES, as the shell does. Returns an error text, empty on success.
std::string InjectDrop(HWND target, const std::vector<std::string>& paths, bool wide);

// Sends through SendMessageTimeoutA (a hung target fails the call instead of the test).
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::string TextOf(HWND window);

// A copy of Tamsolo.exe in a folder of its own, with its own settings file and its own TMP.
// The process is ended by its handle at scope end if it still runs.
class AppRun {
 public:
  struct Options {
    std::optional<std::string> ini;  // the settings file's text; none: no file
    std::string tmp;                 // TMP for the run; empty: a fresh folder of its own
    std::string executable;          // the program to copy; empty: the one just built
  };
  AppRun();
  explicit AppRun(const Options& options);
  ~AppRun();
  AppRun(const AppRun&) = delete;
  AppRun& operator=(const AppRun&) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  // Why the program did not start: the step and the system's error code.
  const std::string& StartError() const { return startError_; }
  DWORD ProcessId() const { return process_.dwProcessId; }
  const std::string& Tmp() const { return tmp_; }
  std::string Folder() const { return folder_.Path().string(); }

  // Waits for the main window to show; null on timeout or when the process ended.
  HWND WaitForWindow(DWORD timeoutMs);
  HWND Window() const { return window_; }
  HWND Control(int id) const;
  // The process's visible top-level windows of the given class ("#32770": message boxes).
  std::vector<HWND> TopLevel(const char* className) const;
  // Visible top-level windows of the process that are neither the main window nor a box.
  std::string Unexpected() const;
  // Waits for a message box of the process; null on timeout.
  HWND WaitForBox(DWORD timeoutMs) const;

  std::vector<std::string> ListItems() const;
  bool WaitForExit(DWORD timeoutMs, DWORD& exitCode);
  // The folders directly under the run's TMP.
  std::vector<std::string> TmpFolders() const;
  void Kill();

 private:
  testing::TempFolder folder_;
  std::optional<testing::TempFolder> ownTmp_;
  std::string tmp_;
  std::string startError_;
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};

// The text and caption of a message box, and a press of its only or default button.
struct BoxContent {
  std::string caption;
  std::string text;
  bool hasIcon = false;
};
BoxContent ReadBox(HWND box);
void AnswerBox(HWND box);

// The client area of window captured from the screen as 32-bit pixels, top row first.
struct Capture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
  bool operator==(const Capture&) const = default;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
// Redraws the top-level window around it and captures window's client area until two
// captures agree; writes the last one as a BMP to bmpPath when given.
std::optional<Capture> CaptureClient(HWND window, const std::string& bmpPath, DWORD timeoutMs);

}  // namespace tamsolo::e2e
