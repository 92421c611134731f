// Drives a running Tamsolo.exe from outside, for the Windows demo:
//   app_remote wait-window SECONDS   waits for the main window
//   app_remote drop PATH...          drops the paths on it, as the shell does
//   app_remote convert | hold        presses a button
//   app_remote wait-queue SECONDS    waits until the list is empty and no file is converted
//   app_remote screenshot FILE.bmp   writes the window's client area
//   app_remote close                 posts WM_CLOSE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app_support_win.h"
#include "e2e_support_win.h"
#include "platform/system_text.h"

namespace tamsolo::e2e {
namespace {

HWND MainWindow() {
  return FindWindowA("TTamsoloForm", SystemText("Lumora漫画コンバータ").c_str());
}

HWND InGroup(HWND window, int id) {
  return GetDlgItem(GetDlgItem(window, kGroupBox1), id);
}

DWORD Seconds(const char* text) {
  return static_cast<DWORD>(std::strtoul(text, nullptr, 10)) * 1000;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty())
    return 2;
  const std::string& command = args[0];
  if (command == "wait-window" && args.size() == 2)
    return PumpUntil([] { return MainWindow() != nullptr; }, Seconds(args[1].c_str())) ? 0 : 1;
  const HWND window = MainWindow();
  if (window == nullptr) {
    std::fputs("app_remote: Tamsolo's window is not there\n", stderr);
    return 1;
  }
  if (command == "drop" && args.size() > 1) {
    const std::string error = InjectDrop(window, {args.begin() + 1, args.end()}, true);
    if (!error.empty())
      std::fprintf(stderr, "app_remote: %s\n", error.c_str());
    return error.empty() ? 0 : 1;
  }
  if (command == "convert" || command == "hold") {
    Send(InGroup(window, command == "convert" ? kStartButton : kStopButton), BM_CLICK);
    return 0;
  }
  if (command == "wait-queue" && args.size() == 2) {
    const bool done = PumpUntil(
        [&] {
          return Send(GetDlgItem(window, kFileList), LB_GETCOUNT) == 0 &&
                 TextOf(InGroup(window, kConvertingFileLabel)).empty();
        },
        Seconds(args[1].c_str()));
    return done ? 0 : 1;
  }
  if (command == "screenshot" && args.size() == 2)
    return CaptureClient(window, args[1], 10000) ? 0 : 1;
  if (command == "close") {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}

}  // namespace
}  // namespace tamsolo::e2e

int main(int argc, char** argv) {
  const int status = tamsolo::e2e::Run({argv + 1, argv + argc});
  if (status == 2)
    std::fputs(
        "usage: app_remote wait-window S | drop PATH... | convert | hold | wait-queue S | "
        "screenshot FILE.bmp | close\n",
        stderr);
  return status;
}
