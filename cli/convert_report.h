#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "queue/queue_scheduler.h"

namespace tamsolo {

// Follows a convert run: draws its progress (a bar redrawn in place on a terminal, plain
// lines otherwise, nothing when quiet) and gathers what the summary reports.
class ConvertReport final : public SchedulerObserver {
 public:
  struct Display {
    std::ostream* out = nullptr;  // none: quiet
    bool terminal = false;
  };

  ConvertReport(size_t totalFiles, Display display, PathStyle style);

  // The sink wrote the book being finished into folder; its BookFinished follows.
  void BookWritten(const std::string& folder) { writtenFolder_ = folder; }

  void ConvertingFileChanged(const std::string& itemText) override;
  void FileRejected(const std::string& path, const std::string& reason) override;
  void FileConverted(const std::string& path, int pagesRecorded,
                     const std::string& errorText) override;
  void PageGivenUp(const std::string& path, const std::string& pageName) override;
  void BookFinished(const std::string& currentBook, const std::vector<std::string>& pageList,
                    int blankPages, const std::string& error) override;

  // Ends the bar's line so that later output starts on a line of its own.
  void EndProgress();
  void WriteSummary(std::ostream& out) const;
  // Every file gave pages, no page was given up and every book was written.
  bool Complete() const { return problems_.empty(); }
  void AddProblem(const std::string& line) { problems_.push_back(line); }

 private:
  void Draw();
  void Line(const std::string& text);

  size_t totalFiles_;
  Display display_;
  PathStyle style_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  size_t filesDone_ = 0;
  int pages_ = 0;  // recorded by the jobs so far
  std::string current_;
  std::string writtenFolder_;
  bool barDrawn_ = false;

  int books_ = 0;
  int bookPages_ = 0;
  int blankPages_ = 0;
  std::vector<std::string> bookLines_;
  std::vector<std::string> problems_;
};

// "1:05" for 65 seconds, "1:01:05" past an hour.
std::string FormatDuration(std::chrono::seconds duration);

}  // namespace tamsolo
