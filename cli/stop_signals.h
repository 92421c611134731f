#pragma once

#include <atomic>
#include <thread>

namespace tamsolo {

// Raised when the user or the system asks the program to stop: SIGINT, SIGTERM or SIGHUP on
// POSIX; Ctrl-C, Ctrl-Break or closing the console on Windows. The commands poll it, stop
// their job, clean up and return; nothing else is done where the signal arrives. Stays false
// in a process without StopSignals (the unit tests).
const std::atomic<bool>& StopRequested();

// Takes the stop signals in one place for the life of the program. Made in main before any
// other thread starts. On POSIX, SIGINT, SIGTERM and SIGHUP are blocked in every thread and
// one thread waits for them; SIGPIPE and SIGXFSZ are ignored, so that a closed pipe or the
// file size limit fails the write (EPIPE, EFBIG) instead of killing the run. A command that
// has not cleaned up within two seconds of a stop signal (held in a write nobody takes) is
// ended by the signal where it stands; on Windows with status 130.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Called once the command has cleaned up. After a stop signal it ends the program as that
  // signal would have (POSIX: default action restored, the signal raised again, so a parent
  // sees a death by signal); on Windows it returns 130 for main to exit with. Returns status
  // unchanged when no stop was asked for.
  int Finish(int status);

 private:
  void EndWaiter();

  std::thread waiter_;
};

}  // namespace tamsolo
