#include "builder/watch_threads_win.h"

#include <thread>

#include "builder/window_search_win.h"
#include "platform/system_text.h"

namespace tamsolo {
namespace {

// The open-file dialog's own captions; only the open watcher knows them.
const std::string& OpenDialogTitle() {
  static const std::string kText = SystemText("ファイルを開く");
  return kText;
}
const std::string& OpenButtonCaption() {
  static const std::string kText = SystemText("開く(&O)");
  return kText;
}
const std::string& CancelButtonCaption() {
  static const std::string kText = SystemText("キャンセル");
  return kText;
}

// The controls of the open-file dialog that the watcher uses.
struct OpenDialogControls {
  HWND openButton = nullptr;
  HWND edit = nullptr;
};

// One search for the dialog and its controls. A dialog whose controls are not all there yet
// counts as not found: it may still be building them.
bool FindOpenDialog(OpenDialogControls& controls) {
  HWND parent = nullptr;
  HWND dialog = FindChildByText(nullptr, parent, OpenDialogTitle());
  if (dialog == nullptr)
    return false;
  controls.openButton = FindChildByText(dialog, parent, OpenButtonCaption());
  HWND cancelButton = FindChildByText(dialog, parent, CancelButtonCaption());
  if (controls.openButton == nullptr || cancelButton == nullptr)
    return false;
  // The file-name field sits beside the cancel button.
  controls.edit = FindWindowExA(parent, nullptr, "Edit", nullptr);
  return controls.edit != nullptr;
}

}  // namespace

void TWatchThread::Start(std::unique_ptr<TWatchThread> watcher) {
  std::thread([self = std::move(watcher)]() noexcept {
    // Nothing may leave a thread entry; a watcher that fails leaves its dialog to the user.
    try {
      self->Execute();
    } catch (...) {
    }
  }).detach();
}

void TWatchOpenDialogThread::Start(std::string folderPath, std::string fileNames) {
  auto watcher = std::make_unique<TWatchOpenDialogThread>();
  watcher->FolderPath = std::move(folderPath);
  watcher->FileNames = std::move(fileNames);
  TWatchThread::Start(std::move(watcher));
}

void TWatchOpenDialogThread::Execute() {
  Sleep(kWatchStartDelay);
  OpenDialogControls controls;
  for (int attempt = 0; !FindOpenDialog(controls); ++attempt) {
    Sleep(kSearchRetryDelay);
    if (attempt + 1 == kOpenDialogTries)
      return;
  }
  Sleep(kBeforeFolderTypingDelay);
  TypeText(controls.edit, FolderPath);
  ClickButton(controls.openButton);
  Sleep(kFolderOpenToClearDelay);
  SendMessageA(controls.edit, WM_CLEAR, 0, 0);
  TypeText(controls.edit, FileNames);
  ClickButton(controls.openButton);
}

void TWatchCreateDialogThread::Start(std::string windowText, std::string buttonCaption,
                                     int32_t maxTries) {
  auto watcher = std::make_unique<TWatchCreateDialogThread>();
  watcher->WindowText = std::move(windowText);
  watcher->ButtonCaption = std::move(buttonCaption);
  watcher->MaxTries = maxTries;
  TWatchThread::Start(std::move(watcher));
}

void TWatchCreateDialogThread::Execute() {
  Sleep(kWatchStartDelay);
  HWND button = nullptr;
  int32_t remaining = MaxTries;
  while (button == nullptr && (remaining > 0 || MaxTries == 0)) {
    HWND holder = nullptr;
    HWND match = FindChildByText(nullptr, holder, WindowText);
    // A top-level window with the text is not the dialog's message line: leave it alone.
    if (match != nullptr && holder == nullptr)
      return;
    // Text without its button yet is a dialog still being built: search again.
    HWND buttonParent = nullptr;
    if (match != nullptr)
      button = FindChildByText(holder, buttonParent, ButtonCaption);
    if (button == nullptr) {
      if (MaxTries != 0)
        --remaining;
      Sleep(kSearchRetryDelay);
    }
  }
  if (button == nullptr)
    return;
  Sleep(kBeforeCreateClickDelay);
  ClickButton(button);
}

}  // namespace tamsolo
