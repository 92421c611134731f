#include "support/child_process_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string_view>

extern char** environ;

namespace tamsolo::testing {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const ChildSetup& setup) {
  std::vector<std::string> env;
  for (char** each = environ; *each; ++each) {
    if (setup.tmpdir.empty() || std::string_view(*each).rfind("TMPDIR=", 0) != 0)
      env.emplace_back(*each);
  }
  if (!setup.tmpdir.empty())
    env.push_back("TMPDIR=" + setup.tmpdir);
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), setup.args.begin(), setup.args.end());
  std::vector<char*> args = Pointers(argv), envp = Pointers(env);
  pid_ = ::fork();
  if (pid_ != 0)
    return;
  // Only async-signal-safe calls between fork and exec.
  const int out = ::open(setup.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = setup.errFd >= 0 ? setup.errFd
                                   : ::open(setup.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(out, STDOUT_FILENO);
  ::dup2(err, STDERR_FILENO);
  const rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  if (setup.openFilesLimit != RLIM_INFINITY) {
    const rlimit files{setup.openFilesLimit, setup.openFilesLimit};
    ::setrlimit(RLIMIT_NOFILE, &files);
  }
  if (setup.unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
    ::_exit(126);
  ::execve(argv[0].c_str(), args.data(), envp.data());
  ::_exit(127);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !ended_) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
}

void ChildProcess::Signal(int number) const {
  ::kill(pid_, number);
}

ChildEnd ChildProcess::Wait() {
  const auto deadline = std::chrono::steady_clock::now() + kChildDeadline;
  int status = 0;
  rusage usage{};
  while (::wait4(pid_, &status, WNOHANG, &usage) == 0) {
    if (std::chrono::steady_clock::now() > deadline)
      ::kill(pid_, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ended_ = true;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, WIFSIGNALED(status) ? WTERMSIG(status) : 0,
          usage.ru_maxrss};
}

}  // namespace tamsolo::testing
