#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "book/book_text.h"
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
  void PageGivenUp(const std::string& path, const std::string& pageName,
                   const std::string& reason) override;
  void BookFinished(const std::string& currentBook, const std::vector<std::string>& pageList,
                    int blankPages, const std::string& error) override;

  // The pages given up since the last book went through the sink: the open book's losses.
  std::vector<LostPage> LostInOpenBook() const { return openBookLost_; }

  // Ends the bar's line so that later output starts on a line of its own.
  void EndProgress();
  // False when the summary could not be written.
  bool WriteSummary(std::ostream& out) const;
  // A progress write failed (a closed pipe, a full disk): the display stopped there.
  bool ProgressLost() const { return progressLost_; }
  // Every file gave pages, no page was given up, every book was written and every line of
  // progress reached its reader.
  bool Complete() const { return problems_.empty() && !progressLost_; }
  void AddProblem(const std::string& line) { problems_.push_back(line); }
  // Something the user should look at that does not fail the run.
  void AddWarning(const std::string& line) { warnings_.push_back(line); }

 private:
  void Draw();
  void Line(const std::string& text);
  void CheckDisplay();

  size_t totalFiles_;
  Display display_;
  PathStyle style_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  size_t filesDone_ = 0;
  int pages_ = 0;  // recorded by the jobs so far
  int givenUpInFile_ = 0;
  std::string current_;
  std::string writtenFolder_;
  bool barDrawn_ = false;
  bool progressLost_ = false;
  std::vector<LostPage> openBookLost_;

  int books_ = 0;
  int bookPages_ = 0;
  int blankPages_ = 0;
  std::vector<std::string> bookLines_;
  std::vector<std::string> problems_;
  std::vector<std::string> warnings_;
};

// "1:05" for 65 seconds, "1:01:05" past an hour.
std::string FormatDuration(std::chrono::seconds duration);

}  // namespace tamsolo
