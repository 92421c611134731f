#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/form_controls_win.h"
#include "app/gui_hand_over_win.h"
#include "builder/builder_book_sink_win.h"
#include "platform/file_system.h"
#include "queue/queue_scheduler.h"

namespace tamsolo {

// The main window: a thin shell around the queue scheduler. Its messages become scheduler
// calls (drops, ticks, the close) and the scheduler's observer calls become control updates.
// The scheduler holds ConvThread, CurrentBook, TempFileList, PageList and the counters;
// the window keeps FilterIndex and WorkFolder, which it settles at start-up.
class TTamsoloForm final : private SchedulerObserver, private BookSink {
 public:
  TTamsoloForm();
  ~TTamsoloForm() override;
  TTamsoloForm(const TTamsoloForm&) = delete;
  TTamsoloForm& operator=(const TTamsoloForm&) = delete;

  // Creates the window, which runs FormCreate; false when start-up refused to run. The window
  // is not shown yet.
  bool Create();
  HWND Handle() const { return window_; }
  const FormControls& Controls() const { return controls_; }

  // The application title, also the caption of every error box.
  static std::string Title();

 private:
  class Nested;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  void FormCreate();
  void CreateWorkFolder();
  void FormDestroy();
  void RemoveWorkFolder();
  void FormClose();
  void WMDropFiles(HDROP drop);
  void MainTimerTimer();
  void FileListDrawItem(const DRAWITEMSTRUCT& item) const;
  bool StartButtonDown() const;

  // The error box of every handler; owner null for boxes shown while the window goes away.
  void ShowError(const std::exception_ptr& error, HWND owner);
  void ShowErrorBox(const std::string& text, HWND owner);

  // SchedulerObserver
  void ConvertingFileChanged(const std::string& itemText) override;
  void RemainChanged(size_t count) override;
  void FileQueued(size_t index, const std::string& path) override;
  void FirstFileTaken() override;

  // BookSink: the builder's, with the window marked as inside the build meanwhile.
  void BuildBook(const std::string& currentBook, const std::vector<std::string>& pageList,
                 const std::string& workFolder) override;

  HWND window_ = nullptr;
  FormFont font_;
  FormControls controls_;
  std::unique_ptr<FileSystem> fs_;
  std::unique_ptr<GuiHandOver> handOver_;
  BuilderBookSink builder_;
  std::unique_ptr<QueueScheduler> scheduler_;

  int32_t FilterIndex = kDefaultFilterIndex;
  std::string WorkFolder;

  bool refused_ = false;
  bool closing_ = false;       // from the close on, the switch reads hold
  bool closePending_ = false;  // a close that came while a handler was still running
  bool errorBoxOpen_ = false;
  int depth_ = 0;  // handlers running on this thread, nested ones included
};

}  // namespace tamsolo
