#include "app/main_form_win.h"

#include <shellapi.h>

#include "app/error_text.h"
#include "app/filter_setting.h"
#include "app/window_texts.h"
#include "platform/error.h"
#include "platform/last_error_win.h"
#include "platform/paths.h"
#include "platform/run_folder_name.h"
#include "platform/system_text.h"
#include "queue/queue_texts.h"

namespace tamsolo {
namespace {

constexpr char kClassName[] = "TTamsoloForm";
constexpr UINT_PTR kMainTimerId = 1;
constexpr UINT kMainTimerInterval = 500;
constexpr DWORD kBuilderClosePause = 1000;
constexpr DWORD kCloseJobWait = 10000;
constexpr DWORD kCloseJobPoll = 50;
constexpr DWORD kDropBufferSize = 261;

constexpr PathStyle kStyle = PathStyle::Windows;
// The item data of a list row whose text is shown as it is.
constexpr LRESULT kShownText = 1;

std::string ExecutablePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

// The text of key in [Config] of the ini beside the program; empty when it is not there.
std::string ReadConfigSetting(const char* key) {
  char value[256] = {};
  GetPrivateProfileStringA("Config", key, "", value, sizeof value,
                           SettingsFilePath(ExecutablePath()).c_str());
  return value;
}

int32_t ReadFilterIndex() {
  return FilterIndexFromSetting(ReadConfigSetting("ResampleFilter"));
}

InputSet ReadInputSet() {
  return InputSetFromSetting(ReadConfigSetting("Archives"));
}

std::optional<CleanSteps> ReadClean() {
  return CleanFromSetting(ReadConfigSetting("Clean"));
}

// Sleeps, but answers messages sent to this thread meanwhile: a watcher thread may be
// reading our windows' texts and must not wait for us.
void SleepServingSent(DWORD milliseconds) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                              QS_SENDMESSAGE);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

// Counts the handlers running on the GUI thread. A close that comes while one runs (sent
// during a book build, or dispatched by an error box's loop) waits until all have returned.
class TTamsoloForm::Nested {
 public:
  explicit Nested(TTamsoloForm& form) : form_(form) { ++form_.depth_; }
  ~Nested() {
    if (--form_.depth_ == 0 && form_.closeDeferred_ && form_.phase_ == FormPhase::Running) {
      form_.closeDeferred_ = false;
      PostMessageA(form_.window_, WM_CLOSE, 0, 0);
    }
  }
  Nested(const Nested&) = delete;
  Nested& operator=(const Nested&) = delete;

 private:
  TTamsoloForm& form_;
};

TTamsoloForm::TTamsoloForm() : fs_(MakeNativeFileSystem()) {}

TTamsoloForm::~TTamsoloForm() = default;

std::string TTamsoloForm::Title() {
  return SystemText("Lumora漫画コンバータ");
}

bool TTamsoloForm::Create() {
  handOver_ = std::make_unique<GuiHandOver>(
      [this](std::exception_ptr error) { ShowError(error, window_); });
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &TTamsoloForm::Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    ThrowLastError("Cannot register the window class");

  const DWORD style = WS_OVERLAPPEDWINDOW;
  RECT frame = {0, 0, kDesignedClientWidth, kDesignedClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const HWND created = CreateWindowExA(
      0, kClassName, Title().c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
      frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
  if (created == nullptr)
    ThrowLastError("Cannot create the main window");
  if (phase_ == FormPhase::Refused)
    return false;
  // The frame the system drew may differ from the one it predicted; the client area counts.
  RECT client;
  GetClientRect(window_, &client);
  const int dw = kDesignedClientWidth - client.right, dh = kDesignedClientHeight - client.bottom;
  if (dw != 0 || dh != 0) {
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left + dw,
                 frame.bottom - frame.top + dh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetTimer(window_, kMainTimerId, kMainTimerInterval, nullptr);
  return true;
}

LRESULT CALLBACK TTamsoloForm::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<TTamsoloForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TTamsoloForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr)
    return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY)
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  return self->Dispatch(message, wParam, lParam);
}

// No exception crosses the window procedure: whatever escapes a handler ends that handler
// and shows the error box. Once FormDestroy has run, the window is left to the system.
LRESULT TTamsoloForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (phase_ == FormPhase::Closed)
    return DefWindowProcA(window_, message, wParam, lParam);
  Nested nested(*this);
  try {
    return Handle(message, wParam, lParam);
  } catch (...) {
    ShowError(std::current_exception(), message == WM_DESTROY ? nullptr : window_);
    if (message == WM_CREATE && controls_.FileList == nullptr)
      return -1;  // without its controls the window cannot run
    return 0;
  }
}

LRESULT TTamsoloForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_MEASUREITEM:
      if (OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
        return TRUE;
      break;
    case WM_DRAWITEM:
      if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
        return TRUE;
      break;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam));
    case WM_TIMER:
      if (OnTimer(wParam))
        return 0;
      break;
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void TTamsoloForm::OnCreate() {
  controls_.Create(window_, font_.Handle());
  FormCreate();
}

// The drawing handlers serve every phase up to Closed: the window is painted while it exists.
void TTamsoloForm::OnSize(int clientWidth, int clientHeight) const {
  if (controls_.FileList != nullptr)
    controls_.Arrange(clientWidth, clientHeight);
}

// Comes while the list is being created, before its handle is known.
bool TTamsoloForm::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  if (item.CtlType != ODT_LISTBOX)
    return false;
  item.itemHeight = kFileListItemHeight;
  return true;
}

bool TTamsoloForm::OnDrawItem(const DRAWITEMSTRUCT& item) const {
  if (item.CtlType != ODT_LISTBOX)
    return false;
  FileListDrawItem(item);
  return true;
}

// Transparent text on the face colour: a hollow brush would leave old digits behind.
LRESULT TTamsoloForm::OnCtlColorStatic(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

bool TTamsoloForm::OnTimer(UINT_PTR timerId) {
  if (timerId != kMainTimerId)
    return false;
  MainTimerTimer();
  return true;
}

void TTamsoloForm::OnDestroy() {
  FormDestroy();
  PostQuitMessage(0);
}

void TTamsoloForm::FormCreate() {
  // Step 1, seeding, happens once per process inside MakeRunFolderName.
  if (!IsBuilderReady()) {
    MessageBoxA(nullptr,
                SystemText("LumoraBuilderを起動し、「オリジナル書籍」「イメージデータ」を開いてから"
                           "実行してください")
                    .c_str(),
                SystemText("エラー").c_str(), MB_OK);
    return;  // the phase stays Refused
  }
  phase_ = FormPhase::Running;
  // The lists and counters start empty inside the scheduler, made below once the folder and
  // the filter are settled.
  QueueScheduler::Settings settings;
  const bool created = CreateWorkFolder();
  if (created) {
    FilterIndex = ReadFilterIndex();
    inputs_ = ReadInputSet();
    settings.clean = ReadClean();
  }
  settings.workFolder = WorkFolder;
  settings.style = kStyle;
  settings.filterIndex = FilterIndex;
  settings.isConverting = [this] { return IsConverting(); };
  BookSink& sink = *this;
  scheduler_ = std::make_unique<QueueScheduler>(*fs_, *handOver_, sink, std::move(settings));
  scheduler_->SetObserver(this);
  if (created)
    DragAcceptFiles(window_, TRUE);
}

// Made once: a failure shows the error box rather than trying other names, the window then
// runs without a folder, and shut-down still tries to remove it by the name it was given.
bool TTamsoloForm::CreateWorkFolder() {
  try {
    CreateUniqueFolder(*fs_, AddTrailingDelimiter(fs_->TempFolder(), kStyle), "", 1,
                       FolderAccess::Shared, &WorkFolder);
    return true;
  } catch (const SystemError& error) {
    ShowErrorBox(FolderErrorText(error.Code()), window_);
    return false;
  }
}

bool TTamsoloForm::StartButtonDown() const {
  return SendMessageA(controls_.StartButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// From the close on, the switch reads hold.
bool TTamsoloForm::IsConverting() const {
  return phase_ == FormPhase::Running && StartButtonDown();
}

// A close while another handler runs waits for it (see Nested); a second close is ignored.
void TTamsoloForm::FormClose() {
  if (phase_ != FormPhase::Running && phase_ != FormPhase::Refused)
    return;
  if (depth_ > 1) {
    closeDeferred_ = true;
    return;
  }
  phase_ = FormPhase::ClosingWaitForJob;
  WaitForTheJob();
  phase_ = FormPhase::Closing;
  KillTimer(window_, kMainTimerId);
  DestroyWindow(window_);
}

// The job is told to stop and the hand-over alone is served until its end-of-job step has
// run, so nothing it touches goes away under it; ticks and drops wait. A job that has not
// ended after 10 s gets no further step and is left to end with the process: its thread is
// never destroyed while it runs.
void TTamsoloForm::WaitForTheJob() {
  if (scheduler_ == nullptr || !scheduler_->JobRunning())
    return;
  scheduler_->StopJob();
  const ULONGLONG deadline = GetTickCount64() + kCloseJobWait;
  while (scheduler_->JobRunning() && GetTickCount64() < deadline)
    handOver_->WaitAndRun(kCloseJobPoll);
  if (scheduler_->JobRunning())
    handOver_->Refuse();
}

// Also reached without a close: a refused start-up destroys the window at once.
void TTamsoloForm::FormDestroy() {
  if (phase_ == FormPhase::Closed)
    return;
  phase_ = FormPhase::Closing;
  if (scheduler_ != nullptr) {
    scheduler_->DeleteTempFiles();
    if (scheduler_->JobRunning())
      (void)scheduler_.release();  // its job thread still runs; the process ends it
    else
      scheduler_.reset();
  }
  if (!WorkFolder.empty()) {
    if (HWND builder = FindBuilderWindow()) {
      SendMessageA(builder, WM_CLOSE, 0, 0);
      SleepServingSent(kBuilderClosePause);
    }
    RemoveWorkFolder();
  }
  phase_ = FormPhase::Closed;
}

void TTamsoloForm::RemoveWorkFolder() {
  try {
    fs_->RemoveFolder(WorkFolder);
  } catch (const SystemError& error) {
    ShowErrorBox(FolderErrorText(error.Code()), nullptr);
  }
}

// The handle is given back in every phase; only a running window takes the paths.
void TTamsoloForm::WMDropFiles(HDROP drop) {
  const DropHandle handle(drop);
  if (phase_ != FormPhase::Running || scheduler_ == nullptr)
    return;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT index = 0; index < count; ++index) {
    char path[kDropBufferSize] = {};
    DragQueryFileA(drop, index, path, kDropBufferSize);
    WalkOptions walk;
    walk.inputs = inputs_;
    scheduler_->AddPath(path, walk);
  }
}

void TTamsoloForm::MainTimerTimer() {
  if (phase_ == FormPhase::Running && scheduler_ != nullptr)
    scheduler_->MainTimerTimer();
}

void TTamsoloForm::FileListDrawItem(const DRAWITEMSTRUCT& item) const {
  const HDC dc = item.hDC;
  if (item.itemID == static_cast<UINT>(-1) || item.itemAction == ODA_FOCUS) {
    if (item.itemState & ODS_FOCUS)
      DrawFocusRect(dc, &item.rcItem);
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const LRESULT length = SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
  if (length > 0) {
    std::string path(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got =
        SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(path.data()));
    path.resize(got > 0 ? static_cast<size_t>(got) : 0);
    // An archive entry's row holds its shown text already (see FileQueued).
    const bool shown = SendMessageA(item.hwndItem, LB_GETITEMDATA, item.itemID, 0) == kShownText;
    const std::string text = shown ? path : ItemText(path, kStyle);
    const SelectedObject font(dc, font_.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    // Clipped to the row: a font whose cell is taller than 12 pixels would otherwise leave
    // the tails of the last item's text in the empty rows below it.
    ExtTextOutA(dc, item.rcItem.left, item.rcItem.top, ETO_CLIPPED, &item.rcItem, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
  }
  if (item.itemState & ODS_FOCUS)
    DrawFocusRect(dc, &item.rcItem);
}

void TTamsoloForm::ShowError(const std::exception_ptr& error, HWND owner) {
  ShowErrorBox(ErrorBoxText(MessageOf(error)), owner);
}

// One box at a time: an error while a box is open (a tick in the box's own loop) is not
// shown behind it.
void TTamsoloForm::ShowErrorBox(const std::string& text, HWND owner) {
  if (errorBoxOpen_)
    return;
  errorBoxOpen_ = true;
  Nested nested(*this);
  MessageBoxA(owner != nullptr && IsWindow(owner) ? owner : nullptr, text.c_str(), Title().c_str(),
              MB_OK | MB_ICONSTOP);
  errorBoxOpen_ = false;
}

void TTamsoloForm::ConvertingFileChanged(const std::string& itemText) {
  controls_.SetConvertingFile(itemText, font_.Handle());
}

void TTamsoloForm::RemainChanged(size_t count) {
  SetWindowTextA(controls_.RemainLabel, RemainCaption(count).c_str());
}

// A file's row holds its path; an archive entry's, "<archive name>\<inner path>", which its
// path would not give when the archive has folders inside.
void TTamsoloForm::FileQueued(size_t index, const SourceRef& source) {
  const std::string text = source.InArchive() ? ItemText(source, kStyle) : source.path;
  SendMessageA(controls_.FileList, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
  if (source.InArchive())
    SendMessageA(controls_.FileList, LB_SETITEMDATA, index, kShownText);
}

void TTamsoloForm::FirstFileTaken() {
  SendMessageA(controls_.FileList, LB_DELETESTRING, 0, 0);
}

// The GUI thread stays inside the builder's clicks for the whole build and pumps nothing; only
// sent messages reach the window meanwhile, and a close among them waits for the build.
void TTamsoloForm::BuildBook(const std::string& currentBook,
                             const std::vector<std::string>& pageList,
                             const std::string& workFolder) {
  Nested nested(*this);
  builder_.BuildBook(currentBook, pageList, workFolder);
}

}  // namespace tamsolo
