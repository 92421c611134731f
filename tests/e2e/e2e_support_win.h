#pragma once

#include <windows.h>

#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

namespace tamsolo::e2e {

// Serves this thread's messages while waiting up to timeoutMs for done to hold. The test's
// own windows must answer text queries from watcher threads while it waits.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The bytes of a file, or an empty string when it cannot be read.
std::string FileText(const std::string& path);

// A stand-in builder process with a fresh record folder. Refuses to start (StartError says
// why) while another window titled "LumoraBuilder" exists. Ends the process it started, by
// its own handle, at scope end.
class StandIn {
 public:
  explicit StandIn(const std::vector<std::string>& switches = {});
  ~StandIn();
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  const std::string& StartError() const { return startError_; }
  HWND Window() const { return window_; }
  std::vector<std::string> Events() const;
  std::string Trace() const;  // the timed log, for failure messages
  bool HasEvent(const std::string& event) const;
  // Waits until an event starting with prefix is logged; false on timeout or on an "error:".
  bool WaitForEvent(const std::string& prefix, DWORD timeoutMs) const;
  std::string BookText(int number) const;
  std::string BookFolder(int number) const;
  // Posts WM_CLOSE and waits for the process to end.
  bool CloseAndWait(DWORD timeoutMs);
  // Ends the process at once; a click pending on its windows then returns.
  void Kill();

 private:
  testing::TempFolder record_;
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
  std::string startError_;
};

// A fresh work folder holding page files written by the page writer: each page white but for
// a short black run on its top row whose length is its number, so every file differs.
class PageFolder {
 public:
  explicit PageFolder(const std::vector<std::string>& names);
  std::string Path() const;  // no trailing delimiter
  std::string PagePath(const std::string& name) const;

 private:
  testing::TempFolder folder_;
};

// BuildBook on a thread of its own, standing for the GUI thread that sits inside the clicks.
// A build still running at scope end is freed by ending the stand-in it waits for.
class BuildRun {
 public:
  BuildRun(std::function<void()> build, StandIn* standIn);
  ~BuildRun();
  // Pumps this thread's messages until the build has returned; false on timeout.
  bool Wait(DWORD timeoutMs);

 private:
  std::future<void> done_;
  std::thread thread_;
  StandIn* standIn_;
};

}  // namespace tamsolo::e2e
