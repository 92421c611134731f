#include "cli/convert_report.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/control_bytes.h"
#include "job/convert_thread.h"
#include "queue/book_key.h"

namespace tamsolo {
namespace {

constexpr size_t kBarWidth = 20;
constexpr size_t kLineLimit = 118;  // keeps the bar on one line of a usual terminal

std::string Plural(long count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// "[3/10]"
std::string Counter(size_t done, size_t total) {
  std::string text(1, '[');
  text += std::to_string(done);
  text += '/';
  text += std::to_string(total);
  text += ']';
  return text;
}

}  // namespace

std::string FormatDuration(std::chrono::seconds duration) {
  const long total = static_cast<long>(duration.count());
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return text;
}

ConvertReport::ConvertReport(size_t totalFiles, Display display, PathStyle style)
    : totalFiles_(totalFiles), display_(display), style_(style) {}

void ConvertReport::ConvertingFileChanged(const std::string& itemText) {
  current_ = itemText;
  if (!itemText.empty() && !display_.terminal)
    Line(Counter(filesDone_ + 1, totalFiles_) + " " + itemText);
  Draw();
}

void ConvertReport::FileRejected(const std::string& path, const std::string& reason) {
  ++filesDone_;
  problems_.push_back("no page from " + path + ": " + reason);
  Draw();
}

void ConvertReport::FileConverted(const std::string& path, int pagesRecorded,
                                  const std::string& errorText) {
  ++filesDone_;
  pages_ += pagesRecorded;
  const int givenUp = std::exchange(givenUpInFile_, 0);
  if (pagesRecorded == 0 && errorText.empty() && givenUp > 0) {
    // Each page was reported with its reason already.
  } else if (pagesRecorded == 0) {
    problems_.push_back("no page from " + path + ": " +
                        (errorText.empty() ? "the image is too small for a page" : errorText));
  } else if (!errorText.empty()) {
    problems_.push_back("stopped after " + Plural(pagesRecorded, "page") + " of " + path + ": " +
                        errorText);
  }
  Draw();
}

void ConvertReport::PageGivenUp(const std::string& path, const std::string& pageName,
                                const std::string& reason) {
  ++givenUpInFile_;
  openBookLost_.push_back({FileNamePart(path, style_), reason});
  problems_.push_back("page " + pageName + " of " + path + " given up after " +
                      std::to_string(kWriteAttempts) + " attempts: " + reason);
}

void ConvertReport::BookFinished(const std::string& currentBook,
                                 const std::vector<std::string>& pageList, int blankPages,
                                 const std::string& error) {
  const std::string title = BookTitleOf(currentBook, style_);
  const std::string folder = std::exchange(writtenFolder_, std::string());
  const std::vector<LostPage> lost = std::exchange(openBookLost_, {});
  if (!error.empty()) {
    problems_.push_back("book \"" + title + "\" failed: " + error);
    return;
  }
  if (pageList.empty())
    return;
  ++books_;
  bookPages_ += static_cast<int>(pageList.size()) - blankPages;
  blankPages_ += blankPages;
  std::string line = "book \"" + title + "\": " + folder + " (" +
                     Plural(static_cast<long>(pageList.size()), "page");
  if (!lost.empty())
    line += "; incomplete: " + Plural(static_cast<long>(lost.size()), "page") + " lost";
  line += ")";
  bookLines_.push_back(line);
  if (!display_.terminal)
    Line(line);
  Draw();
}

void ConvertReport::Line(const std::string& text) {
  if (display_.out)
    *display_.out << EscapeControlBytes(text) << '\n' << std::flush;
  CheckDisplay();
}

// A reader that went away (a closed pipe) or a full disk ends the display, not the run.
void ConvertReport::CheckDisplay() {
  if (display_.out && !*display_.out) {
    display_.out = nullptr;
    progressLost_ = true;
  }
}

void ConvertReport::Draw() {
  if (!display_.out || !display_.terminal)
    return;
  using std::chrono::seconds;
  const auto elapsed =
      std::chrono::duration_cast<seconds>(std::chrono::steady_clock::now() - start_);
  const size_t total = std::max<size_t>(totalFiles_, 1);
  const size_t filled = filesDone_ * kBarWidth / total;
  std::string bar(1, '[');
  bar.append(filled, '#').append(kBarWidth - filled, '-');
  bar += "] ";
  bar += std::to_string(filesDone_);
  bar += '/';
  bar += std::to_string(totalFiles_);
  bar += " files | " + Plural(pages_, "page") + " | " + Plural(books_, "book") + " | " +
         FormatDuration(elapsed);
  if (filesDone_ > 0 && filesDone_ < totalFiles_) {
    const auto left =
        elapsed * static_cast<long>(totalFiles_ - filesDone_) / static_cast<long>(filesDone_);
    bar += ", about " + FormatDuration(left) + " left";
  }
  if (!current_.empty())
    bar += " | " + EscapeControlBytes(current_);
  if (bar.size() > kLineLimit) {
    size_t cut = kLineLimit;
    while (cut > 0 && (static_cast<unsigned char>(bar[cut]) & 0xC0) == 0x80)
      --cut;  // never split a UTF-8 character
    bar.resize(cut);
  }
  *display_.out << "\r\x1b[K" << bar << std::flush;
  barDrawn_ = true;
  CheckDisplay();
}

void ConvertReport::EndProgress() {
  if (barDrawn_ && display_.out)
    *display_.out << '\n' << std::flush;
  barDrawn_ = false;
  CheckDisplay();
}

bool ConvertReport::WriteSummary(std::ostream& out) const {
  out << "books: " << books_ << "\npages: " << bookPages_ << "\nblank pages: " << blankPages_
      << '\n';
  for (const std::string& line : bookLines_)
    out << EscapeControlBytes(line) << '\n';
  for (const std::string& line : problems_)
    out << EscapeControlBytes(line) << '\n';
  for (const std::string& line : warnings_)
    out << "warning: " << EscapeControlBytes(line) << '\n';
  if (progressLost_)
    out << "progress display lost: its output could not be written\n";
  return static_cast<bool>(out.flush());
}

}  // namespace tamsolo
