#include "app_support_win.h"

#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "e2e_support_win.h"
#include "platform/system_text.h"

namespace tamsolo::e2e {
namespace {

// Up to five tries, 200 ms apart; GetLastError tells why the last one failed.
template <typename Step>
bool Retried(Step step) {
  for (int attempt = 1;; ++attempt) {
    if (step())
      return true;
    if (attempt == 5)
      return false;
    const DWORD code = GetLastError();
    Sleep(200);
    SetLastError(code);
  }
}

constexpr DWORD kSendTimeout = 5000;

std::string TestFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The environment of this process with TMP and TEMP replaced.
std::string EnvironmentWithTmp(const std::string& tmp) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* entry = strings; *entry != '\0'; entry += std::strlen(entry) + 1) {
    const std::string text = entry;
    if (_strnicmp(entry, "TMP=", 4) == 0 || _strnicmp(entry, "TEMP=", 5) == 0)
      continue;
    block += text;
    block += '\0';
  }
  FreeEnvironmentStringsA(strings);
  block += "TMP=" + tmp + '\0' + "TEMP=" + tmp + '\0';
  block += '\0';
  return block;
}

}  // namespace

std::string AppExecutable() {
  return TestFolder() + "\\..\\..\\app\\Tamsolo.exe";
}

std::string PackageFolder() {
  return TestFolder() + "\\..\\..\\package\\Tamsolo";
}

std::string CliExecutable() {
  return TestFolder() + "\\..\\..\\cli\\tamsolo-cli.exe";
}

int RunProgram(const std::string& commandLine, DWORD timeoutMs) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string command = commandLine;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &code);
  else
    TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::string InjectDrop(HWND target, const std::vector<std::string>& paths, bool wide) {
  std::string names;
  for (const std::string& path : paths) {
    if (!wide) {
      names += path + '\0';
      continue;
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), text.data(), length);
    text += L'\0';
    names.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  }
  names.append(wide ? 2 : 1, '\0');
  DROPFILES header = {};
  header.pFiles = sizeof header;
  header.pt = {10, 10};
  header.fWide = wide ? TRUE : FALSE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  block += names;

  DWORD processId = 0;
  GetWindowThreadProcessId(target, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                               FALSE, processId);
  if (process == nullptr)
    return "OpenProcess failed: " + std::to_string(GetLastError());
  void* remote =
      VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  std::string error;
  if (remote == nullptr)
    error = "VirtualAllocEx failed: " + std::to_string(GetLastError());
  else if (!WriteProcessMemory(process, remote, block.data(), block.size(), nullptr))
    error = "WriteProcessMemory failed: " + std::to_string(GetLastError());
  else if (!PostMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0))
    error = "PostMessage failed: " + std::to_string(GetLastError());
  CloseHandle(process);
  return error;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout,
                           &result))
    return -1;
  return static_cast<LRESULT>(result);
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  const LRESULT length = Send(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

AppRun::AppRun() : AppRun(Options{std::string("[Config]\r\n"), "", ""}) {}

// Wine now and then refuses a copy or a start for a moment after the previous run ended (a
// file still held by a process on its way out), so each step is tried a few times.
AppRun::AppRun(const Options& options) {
  const std::string folder = folder_.Path().string();
  const std::string exe = folder + "\\Tamsolo.exe";
  const std::string source = options.executable.empty() ? AppExecutable() : options.executable;
  if (!Retried([&] { return CopyFileA(source.c_str(), exe.c_str(), FALSE) != 0; })) {
    startError_ = "CopyFile to " + exe + ": error " + std::to_string(GetLastError());
    return;
  }
  if (options.ini) {
    std::ofstream ini(folder + "\\Tamsolo.ini", std::ios::binary);
    ini << *options.ini;
  }
  if (options.tmp.empty()) {
    ownTmp_.emplace();
    tmp_ = ownTmp_->Path().string();
  } else {
    tmp_ = options.tmp;
  }
  std::string environment = EnvironmentWithTmp(tmp_);
  std::string command = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  const bool started = Retried([&] {
    return CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                          environment.data(), folder.c_str(), &startup, &process_) != 0;
  });
  if (!started) {
    startError_ = "CreateProcess " + exe + ": error " + std::to_string(GetLastError());
    process_ = {};
  }
}

AppRun::~AppRun() {
  if (process_.hProcess == nullptr)
    return;
  Kill();
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void AppRun::Kill() {
  if (process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
}

std::vector<HWND> AppRun::TopLevel(const char* className) const {
  struct Search {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
  } search{process_.dwProcessId, className, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s.processId && IsWindowVisible(window) &&
            (s.className == nullptr || ClassOf(window) == s.className))
          s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string AppRun::Unexpected() const {
  std::string found;
  for (HWND window : TopLevel(nullptr)) {
    const std::string name = ClassOf(window);
    if (name != "TTamsoloForm" && name != "#32770")
      found += name + " \"" + TextOf(window) + "\" ";
  }
  return found;
}

HWND AppRun::WaitForWindow(DWORD timeoutMs) {
  const std::string caption = SystemText("Lumora漫画コンバータ");
  PumpUntil(
      [&] {
        window_ = nullptr;
        for (HWND window : TopLevel("TTamsoloForm")) {
          char text[256] = {};
          GetWindowTextA(window, text, sizeof text);
          if (caption == text)
            window_ = window;
        }
        return window_ != nullptr || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
      },
      timeoutMs);
  return window_;
}

HWND AppRun::WaitForBox(DWORD timeoutMs) const {
  HWND box = nullptr;
  PumpUntil(
      [&] {
        const auto boxes = TopLevel("#32770");
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
      },
      timeoutMs);
  return box;
}

HWND AppRun::Control(int id) const {
  if (id == kConvertingFileLabel || id == kStartButton || id == kStopButton)
    return GetDlgItem(GetDlgItem(window_, kGroupBox1), id);
  return GetDlgItem(window_, id);
}

// LB_GETTEXT goes as the wide message: across processes Wine hands the A message's caller the
// list's UTF-16 text unconverted. The text is then brought to the code page here.
std::vector<std::string> AppRun::ListItems() const {
  const HWND list = Control(kFileList);
  std::vector<std::string> items;
  const LRESULT count = Send(list, LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i));
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kSendTimeout,
                             &got) ||
        static_cast<LRESULT>(got) < 0) {
      items.push_back("(unreadable)");
      continue;
    }
    const int units = static_cast<int>(got);
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), units, ansi.data(), bytes, nullptr, nullptr);
    items.push_back(ansi);
  }
  return items;
}

bool AppRun::WaitForExit(DWORD timeoutMs, DWORD& exitCode) {
  if (!PumpUntil([&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; },
                 timeoutMs))
    return false;
  GetExitCodeProcess(process_.hProcess, &exitCode);
  return true;
}

std::vector<std::string> AppRun::TmpFolders() const {
  std::vector<std::string> folders;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(tmp_, error)) {
    if (entry.is_directory())
      folders.push_back(entry.path().filename().string());
  }
  return folders;
}

BoxContent ReadBox(HWND box) {
  BoxContent content;
  content.caption = TextOf(box);
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != "Static")
      continue;
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    // Wine keeps an icon control in every box and hides it, or leaves it empty, when there
    // is no icon.
    if ((style & SS_TYPEMASK) == SS_ICON)
      content.hasIcon = content.hasIcon || (IsWindowVisible(child) && Send(child, STM_GETICON) > 0);
    else if (content.text.empty())
      content.text = TextOf(child);
  }
  return content;
}

void AnswerBox(HWND box) {
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

std::optional<Capture> CaptureClient(HWND window, const std::string& bmpPath, DWORD timeoutMs) {
  std::optional<Capture> previous;
  std::optional<Capture> agreed;
  PumpUntil(
      [&] {
        RedrawWindow(GetAncestor(window, GA_ROOT), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT client;
        GetClientRect(window, &client);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        Capture capture;
        capture.width = client.right;
        capture.height = client.bottom;
        capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = capture.width;
        info.bmiHeader.biHeight = -capture.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, capture.width, capture.height, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        std::memcpy(capture.pixels.data(), bits, capture.pixels.size() * 4);
        for (uint32_t& pixel : capture.pixels)
          pixel &= 0xFFFFFF;
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        if (previous && *previous == capture && capture.width > 0)
          agreed = capture;
        previous = capture;
        return agreed.has_value();
      },
      timeoutMs);
  if (agreed && !bmpPath.empty()) {
    std::ofstream file(bmpPath, std::ios::binary);
    BITMAPFILEHEADER fileHeader = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = agreed->width;
    header.biHeight = -agreed->height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    const DWORD bytes = static_cast<DWORD>(agreed->pixels.size() * 4);
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + bytes;
    file.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    file.write(reinterpret_cast<const char*>(&header), sizeof header);
    file.write(reinterpret_cast<const char*>(agreed->pixels.data()), bytes);
  }
  return agreed;
}

}  // namespace tamsolo::e2e
