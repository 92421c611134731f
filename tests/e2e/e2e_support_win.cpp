#include "e2e_support_win.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "page/page_bitmap.h"
#include "page/page_image.h"
#include "platform/system_text.h"

namespace tamsolo::e2e {
namespace {

constexpr DWORD kStartTimeout = 20000;

std::string ExecutableFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

HWND FindBuilder() {
  return FindWindowA(nullptr, SystemText("LumoraBuilder").c_str());
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done())
      return true;
    if (GetTickCount64() >= deadline)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

StandIn::StandIn(const std::vector<std::string>& switches) {
  if (FindBuilder() != nullptr) {
    startError_ = "a window titled LumoraBuilder exists before the stand-in starts";
    return;
  }
  std::string command = Quoted(ExecutableFolder() + "\\standin_builder.exe");
  command += " --record " + Quoted(record_.Path().string());
  for (const std::string& option : switches)
    command += " " + option;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    startError_ = "cannot start " + command + ": error " + std::to_string(GetLastError());
    return;
  }
  // The stand-in sets its title after building every control and then logs "ready".
  if (!PumpUntil([&] { return HasEvent("ready") && (window_ = FindBuilder()) != nullptr; },
                 kStartTimeout))
    startError_ = "the stand-in did not show its window";
}

StandIn::~StandIn() {
  if (process_.hProcess == nullptr)
    return;
  Kill();
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void StandIn::Kill() {
  if (process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
}

std::vector<std::string> StandIn::Events() const {
  std::istringstream text(FileText(record_.File("events.txt")));
  std::vector<std::string> events;
  for (std::string line; std::getline(text, line);)
    events.push_back(line);
  return events;
}

std::string StandIn::Trace() const {
  return FileText(record_.File("trace.txt"));
}

bool StandIn::HasEvent(const std::string& event) const {
  for (const std::string& line : Events())
    if (line == event)
      return true;
  return false;
}

bool StandIn::WaitForEvent(const std::string& prefix, DWORD timeoutMs) const {
  bool failed = false;
  const bool seen = PumpUntil(
      [&] {
        for (const std::string& line : Events()) {
          failed = failed || line.rfind("error:", 0) == 0;
          if (line.rfind(prefix, 0) == 0)
            return true;
        }
        return failed;
      },
      timeoutMs);
  return seen && !failed;
}

std::string StandIn::BookFolder(int number) const {
  return record_.File("book" + std::to_string(number));
}

std::string StandIn::BookText(int number) const {
  return FileText(BookFolder(number) + "\\book.txt");
}

bool StandIn::CloseAndWait(DWORD timeoutMs) {
  PostMessageA(window_, WM_CLOSE, 0, 0);
  return PumpUntil([&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; },
                   timeoutMs);
}

PageFolder::PageFolder(const std::vector<std::string>& names) {
  PageImage page = MakeWhitePage();
  for (size_t i = 0; i < names.size(); ++i) {
    for (int32_t x = 0; x <= static_cast<int32_t>(i); ++x)
      page.SetPixel(x, 0, 0);
    PageBitmap bitmap;
    bitmap.Assign(page);
    bitmap.SaveToFile(PagePath(names[i]));
  }
}

std::string PageFolder::Path() const {
  return folder_.Path().string();
}

std::string PageFolder::PagePath(const std::string& name) const {
  return Path() + "\\" + name;
}

BuildRun::BuildRun(std::function<void()> build, StandIn* standIn) : standIn_(standIn) {
  std::packaged_task<void()> task(std::move(build));
  done_ = task.get_future();
  thread_ = std::thread(std::move(task));
}

BuildRun::~BuildRun() {
  if (done_.valid() && done_.wait_for(std::chrono::seconds(0)) != std::future_status::ready &&
      standIn_ != nullptr)
    standIn_->Kill();
  if (thread_.joinable())
    thread_.join();
}

bool BuildRun::Wait(DWORD timeoutMs) {
  const bool finished = PumpUntil(
      [&] { return done_.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
      timeoutMs);
  if (finished)
    done_.get();  // throws what the build threw
  return finished;
}

}  // namespace tamsolo::e2e
