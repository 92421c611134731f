#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>

#include "cli/stop_signals.h"
#include "platform/file_system.h"
#include "platform/test_hook.h"

namespace tamsolo {
namespace {

std::atomic<bool> stopRequested{false};
std::atomic<int> stopSignal{0};
std::atomic<bool> finishing{false};
std::mutex finishMutex;
std::condition_variable finished;

// How long the command may take to clean up after a stop signal. A command that has not
// returned by then is held in a call that does not come back (a write to a pipe nobody
// reads, say): the program then ends by the signal where it stands, and whatever it left
// carries a free lock that the next run takes away.
constexpr std::chrono::seconds kCleanUpGrace{2};

// Ends the program as the signal's default action does, from the waiting thread.
[[noreturn]] void EndBySignal(int number) {
  std::signal(number, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, number);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(number);
  std::_Exit(128 + number);
}

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

const std::atomic<bool>& StopRequested() {
  return stopRequested;
}

StopSignals::StopSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  SetStreamWriteStop(&stopRequested);
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);  // inherited by every thread started from here
  waiter_ = std::thread([set] {
    int number = 0;
    if (sigwait(&set, &number) != 0 || finishing)
      return;
    stopSignal = number;
    stopRequested = true;
    std::unique_lock lock(finishMutex);
    if (finished.wait_for(lock, kCleanUpGrace, [] { return finishing.load(); }))
      return;
    TestHook("clean-up-grace");  // the fault suite's mark that the grace ran out
    EndBySignal(number);
  });
}

void StopSignals::EndWaiter() {
  if (!waiter_.joinable())
    return;
  {
    const std::lock_guard lock(finishMutex);
    finishing = true;
  }
  finished.notify_all();
  if (!stopRequested)
    pthread_kill(waiter_.native_handle(), SIGTERM);  // wakes the waiter, which only leaves
  waiter_.join();
}

StopSignals::~StopSignals() {
  EndWaiter();
}

int StopSignals::Finish(int status) {
  EndWaiter();
  const int number = stopSignal.load();
  if (number == 0)
    return status;
  std::signal(number, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, number);
  raise(number);  // stays pending while blocked, delivered on the unblock below
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  return status;  // not reached: the default action ends the program
}

}  // namespace tamsolo
