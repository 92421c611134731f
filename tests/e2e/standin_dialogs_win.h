#pragma once

#include <string>
#include <utility>
#include <vector>

#include "standin_support_win.h"

namespace tamsolo::standin {

// Splits text made of entries "name" followed by one or more blanks. False when the text
// holds anything else, or no entry.
bool ParseQuotedNames(const std::string& text, std::vector<std::string>& names);

// The builder's open-file dialog: a folder path opened shows that folder and keeps the dialog
// open with the field selected; quoted names opened choose those files of the folder and
// close it.
class OpenFileDialog final : public ModalWindow {
 public:
  OpenFileDialog(const EventLog& log, std::string folder) : log_(log), folder_(std::move(folder)) {}

  const std::string& Folder() const { return folder_; }
  const std::vector<std::string>& Chosen() const { return chosen_; }  // full paths, in order

 protected:
  void CreateControls() override;
  void OnButton(int id) override;
  void OnShown() override { log_.Write("open-shown"); }

 private:
  void Open();
  void ShowFolder();

  const EventLog& log_;
  std::string folder_;
  std::vector<std::string> chosen_;
  TypedEdit* edit_ = nullptr;
  HWND folderList_ = nullptr;
};

// A message with buttons; Result is the id of the button pressed (IDCANCEL when closed).
class MessageDialog final : public ModalWindow {
 public:
  struct Button {
    std::string caption;
    int id;
  };
  MessageDialog(const EventLog& log, std::string eventName, std::string message,
                std::vector<Button> buttons)
      : log_(log),
        eventName_(std::move(eventName)),
        message_(std::move(message)),
        buttons_(std::move(buttons)) {}

  int Result() const { return result_; }

 protected:
  void CreateControls() override;
  void OnButton(int id) override;
  void OnShown() override { log_.Write(eventName_ + "-shown"); }

 private:
  const EventLog& log_;
  std::string eventName_;
  std::string message_;
  std::vector<Button> buttons_;
  int result_ = IDCANCEL;
};

}  // namespace tamsolo::standin
