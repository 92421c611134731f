#include <pthread.h>
#include <signal.h>

#include <csignal>

#include "cli/stop_signals.h"

namespace tamsolo {
namespace {

std::atomic<bool> stopRequested{false};
std::atomic<int> stopSignal{0};
std::atomic<bool> finishing{false};

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
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);  // inherited by every thread started from here
  waiter_ = std::thread([set] {
    int number = 0;
    while (sigwait(&set, &number) == 0) {
      if (finishing)
        return;
      int none = 0;
      stopSignal.compare_exchange_strong(none, number);
      stopRequested = true;
    }
  });
}

StopSignals::~StopSignals() {
  if (waiter_.joinable()) {
    finishing = true;
    pthread_kill(waiter_.native_handle(), SIGTERM);  // wakes the waiter, which only leaves
    waiter_.join();
  }
}

int StopSignals::Finish(int status) {
  if (waiter_.joinable()) {
    finishing = true;
    pthread_kill(waiter_.native_handle(), SIGTERM);
    waiter_.join();
  }
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
