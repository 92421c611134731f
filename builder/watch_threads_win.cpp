#include "builder/watch_threads_win.h"

#include <thread>

#include "builder/window_search_win.h"
#include "platform/system_text.h"

namespace tamsolo {
namespace {

// The open-file dialog's own captions; only the open watcher knows them.
const std::string& OpenDialogTitle() {
  static const std::string text = SystemText("ファイルを開く");
  return text;
}
const std::string& OpenButtonCaption() {
  static const std::string text = SystemText("開く(&O)");
  return text;
}
const std::string& CancelButtonCaption() {
  static const std::string text = SystemText("キャンセル");
  return text;
}

HWND FindOpenDialog() {
  for (int attempt = 0; attempt < kOpenDialogTries; ++attempt) {
    HWND parent = nullptr;
    if (HWND dialog = FindChildByText(nullptr, parent, OpenDialogTitle()))
      return dialog;
    Sleep(kSearchRetryDelay);
  }
  return nullptr;
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
  HWND dialog = FindOpenDialog();
  if (dialog == nullptr)
    return;
  HWND parent = nullptr;
  HWND openButton = FindChildByText(dialog, parent, OpenButtonCaption());
  HWND cancelButton = FindChildByText(dialog, parent, CancelButtonCaption());
  if (openButton == nullptr || cancelButton == nullptr)
    return;
  HWND edit = FindWindowExA(parent, nullptr, "Edit", nullptr);
  if (edit == nullptr)
    return;
  Sleep(kBeforeFolderTypingDelay);
  TypeText(edit, FolderPath);
  ClickButton(openButton);
  Sleep(kFolderOpenToClearDelay);
  SendMessageA(edit, WM_CLEAR, 0, 0);
  TypeText(edit, FileNames);
  ClickButton(openButton);
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
  HWND holder = nullptr;
  HWND match = nullptr;
  int32_t remaining = MaxTries;
  while (match == nullptr && (remaining > 0 || MaxTries == 0)) {
    holder = nullptr;
    match = FindChildByText(nullptr, holder, WindowText);
    if (match == nullptr) {
      if (MaxTries != 0)
        --remaining;
      Sleep(kSearchRetryDelay);
    }
  }
  // A top-level window with the text is not the dialog's message line: leave it alone.
  if (match == nullptr || holder == nullptr)
    return;
  HWND buttonParent = nullptr;
  HWND button = FindChildByText(holder, buttonParent, ButtonCaption);
  if (button == nullptr)
    return;
  Sleep(kBeforeCreateClickDelay);
  ClickButton(button);
}

}  // namespace tamsolo
