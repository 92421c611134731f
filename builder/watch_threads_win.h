#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tamsolo {

// Delays of the watchers, in milliseconds.
inline constexpr DWORD kWatchStartDelay = 200;          // before the first search
inline constexpr DWORD kSearchRetryDelay = 100;         // after a search that found nothing
inline constexpr DWORD kBeforeFolderTypingDelay = 200;  // open dialog found, before typing
inline constexpr DWORD kFolderOpenToClearDelay = 100;   // between the folder click and WM_CLEAR
inline constexpr DWORD kBeforeCreateClickDelay = 200;   // create dialog found, before the click
// Searches for the open-file dialog before its watcher gives up (about 1.2 s in all).
inline constexpr int kOpenDialogTries = 10;

// A short-lived thread that operates one modal dialog of the builder while the GUI thread
// waits inside the click that opened it. Nobody waits for a watcher: it frees itself when
// Execute ends, and it never touches the GUI thread's objects.
class TWatchThread {
 public:
  virtual ~TWatchThread() = default;

  // Runs Execute on a new thread that owns the watcher from then on.
  static void Start(std::unique_ptr<TWatchThread> watcher);

 protected:
  virtual void Execute() = 0;
};

// Sends the open-file dialog to FolderPath, then types FileNames and confirms them.
class TWatchOpenDialogThread : public TWatchThread {
 public:
  std::string FolderPath;  // no trailing delimiter
  std::string FileNames;   // one chunk of quoted names, each followed by a blank

  static void Start(std::string folderPath, std::string fileNames);

 protected:
  void Execute() override;
};

// Waits for a window with WindowText inside a dialog and clicks ButtonCaption beside it.
class TWatchCreateDialogThread : public TWatchThread {
 public:
  std::string WindowText;
  std::string ButtonCaption;
  int32_t MaxTries = 0;  // 0: no limit; below 0: no search at all

  static void Start(std::string windowText, std::string buttonCaption, int32_t maxTries);

 protected:
  void Execute() override;
};

}  // namespace tamsolo
