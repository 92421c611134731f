#include <windows.h>

#include "app/error_text.h"
#include "app/main_form_win.h"

namespace {

// Runs the main window until it is closed. Nothing escapes: an error here is shown and ends
// the program.
void RunApplication(int showCommand) {
  try {
    // Never destroyed: the process ends with ExitProcess while a job thread may still exist.
    auto* form = new tamsolo::TTamsoloForm();
    if (!form->Create()) {
      DestroyWindow(form->Handle());
      return;
    }
    ShowWindow(form->Handle(), showCommand);
    UpdateWindow(form->Handle());
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  } catch (const std::exception& error) {
    MessageBoxA(nullptr, tamsolo::ErrorBoxText(error.what()).c_str(),
                tamsolo::TTamsoloForm::Title().c_str(), MB_OK | MB_ICONSTOP);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  RunApplication(showCommand);
  // No static destructor runs: a watcher thread may still be polling the builder.
  ExitProcess(0);
}
