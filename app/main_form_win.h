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

// Where the main window is in its life. Every handler looks at it before it acts.
enum class FormPhase {
  Refused,            // start-up has not let the window run (yet): no drops, no ticks
  Running,            // drops accepted, the timer ticks, jobs run and books are built
  ClosingWaitForJob,  // a close waits for the job to end: only the hand-over is served
  Closing,            // the window is being destroyed and FormDestroy runs
  Closed,             // FormDestroy has run; the window is gone
};

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

  // The handlers, one per message.
  void OnCreate();
  void OnSize(int clientWidth, int clientHeight) const;
  static bool OnMeasureItem(MEASUREITEMSTRUCT& item);
  bool OnDrawItem(const DRAWITEMSTRUCT& item) const;
  static LRESULT OnCtlColorStatic(HDC dc);
  bool OnTimer(UINT_PTR timerId);
  void OnDestroy();

  void FormCreate();
  bool CreateWorkFolder();
  void FormDestroy();
  void RemoveWorkFolder();
  void FormClose();
  void WaitForTheJob();
  void WMDropFiles(HDROP drop);
  void MainTimerTimer();
  void FileListDrawItem(const DRAWITEMSTRUCT& item) const;
  bool StartButtonDown() const;
  bool IsConverting() const;

  // The error box of every handler; owner null for boxes shown while the window goes away.
  void ShowError(const std::exception_ptr& error, HWND owner);
  void ShowErrorBox(const std::string& text, HWND owner);

  // SchedulerObserver
  void ConvertingFileChanged(const std::string& itemText) override;
  void RemainChanged(size_t count) override;
  void FileQueued(size_t index, const SourceRef& source) override;
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
  InputSet inputs_ = InputSet::Extended;  // Archives in [Config]
  std::string WorkFolder;

  FormPhase phase_ = FormPhase::Refused;
  // Guards of their own, since they hold in any phase: the handlers running on this thread
  // (nested ones included) with a close that waits for them, and the one error box.
  int depth_ = 0;
  bool closeDeferred_ = false;
  bool errorBoxOpen_ = false;
};

}  // namespace tamsolo
