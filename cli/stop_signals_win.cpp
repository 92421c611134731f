#include <windows.h>

#include "cli/exit_codes.h"
#include "cli/stop_signals.h"

namespace tamsolo {
namespace {

std::atomic<bool> stopRequested{false};
HANDLE cleanedUp = nullptr;

// How long the command may take to clean up after Ctrl-C or Ctrl-Break before it is ended
// where it stands (held in a write nobody takes, say), as on POSIX.
constexpr DWORD kCleanUpGraceMs = 2000;

// Windows ends the process as soon as the handler returns from a close, log-off or shut-down
// event (and at the latest after a few seconds), so the handler waits there for the clean-up.
// The handler runs on a thread of its own, so waiting here holds up nothing else.
BOOL WINAPI OnConsoleEvent(DWORD type) {
  stopRequested = true;
  if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT)
    WaitForSingleObject(cleanedUp, 4500);
  else if (WaitForSingleObject(cleanedUp, kCleanUpGraceMs) == WAIT_TIMEOUT)
    TerminateProcess(GetCurrentProcess(), kCliInterrupted);
  return TRUE;
}

}  // namespace

const std::atomic<bool>& StopRequested() {
  return stopRequested;
}

StopSignals::StopSignals() {
  cleanedUp = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopSignals::~StopSignals() {
  SetEvent(cleanedUp);
}

int StopSignals::Finish(int status) {
  SetEvent(cleanedUp);
  return stopRequested ? kCliInterrupted : status;
}

}  // namespace tamsolo
