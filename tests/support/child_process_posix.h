#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tamsolo::testing {

// How long a child or a polled condition may take, generous for a busy machine.
inline constexpr std::chrono::seconds kChildDeadline{30};

// A program run as a child process, its output in files.
struct ChildSetup {
  std::vector<std::string> args;  // after the program's own name
  std::string tmpdir = {};        // TMPDIR of the child; empty keeps this process's
  std::string out = "/dev/null";  // where stdout goes
  std::string err = "/dev/null";  // where stderr goes
  int errFd = -1;                 // or this descriptor, when set
  rlim_t fileSizeLimit = RLIM_INFINITY;
  rlim_t openFilesLimit = RLIM_INFINITY;  // how many files the child may have open
  // Run as nobody when the test runs as root, so that file modes bind the child too.
  bool unprivileged = false;
};

struct ChildEnd {
  int exitCode = -1;  // -1 when ended by a signal
  int signal = 0;     // SIGKILL too when it outlived kChildDeadline
  long maxRssKiB = 0;
};

// Starts program with the setup; a child still running when the object goes is killed.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const ChildSetup& setup);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal(int number) const;
  pid_t Pid() const { return pid_; }
  // Waits for the end, killing the child at kChildDeadline.
  ChildEnd Wait();

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
};

// Polls until condition holds; false when kChildDeadline passes first.
template <typename Condition>
bool WaitFor(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + kChildDeadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace tamsolo::testing
