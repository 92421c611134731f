// A stand-in for the book builder: the same windows, texts and reactions, and a record of
// every book it creates (book.txt and a copy of each page) for the tests to check.
//
// standin_builder --record FOLDER [--hide-add] [--no-clear] [--no-completion] [--dialog-delay MS]
//   --hide-add       the add-to-list button sits on a hidden screen
//   --no-clear       there is no clear button
//   --no-completion  records the book but shows no completion message
//   --dialog-delay   waits MS milliseconds before showing each dialog

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/system_text.h"
#include "standin_dialogs_win.h"

namespace tamsolo::standin {
namespace {

enum ControlId { kClearId = 1001, kAddId, kCreateId, kTitleId, kAuthorId, kThirdId, kListId };

struct Options {
  std::string recordFolder;
  bool hideAdd = false;
  bool noClear = false;
  bool noCompletion = false;
  DWORD dialogDelay = 0;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--hide-add") {
      options.hideAdd = true;
    } else if (argument == "--no-clear") {
      options.noClear = true;
    } else if (argument == "--no-completion") {
      options.noCompletion = true;
    } else if (argument == "--record" && i + 1 < argc) {
      options.recordFolder = argv[++i];
    } else if (argument == "--dialog-delay" && i + 1 < argc) {
      options.dialogDelay = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      return false;
    }
  }
  return !options.recordFolder.empty();
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const char byte : bytes) {
    text += kDigits[static_cast<unsigned char>(byte) >> 4];
    text += kDigits[static_cast<unsigned char>(byte) & 15];
  }
  return text;
}

class Builder {
 public:
  Builder(const Options& options) : options_(options), log_(options.recordFolder) {}

  bool Create();
  int Run();
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void CreateControls();
  void OnCommand(int id);
  void Clear();
  void AddToList();
  void CreateBook();
  bool RecordBook();

  Options options_;
  EventLog log_;
  HWND main_ = nullptr;
  HWND listBox_ = nullptr;
  TypedEdit* edits_[3] = {};
  std::vector<std::string> list_;
  std::string folder_;
  int books_ = 0;
};

bool Builder::Create() {
  RegisterClasses(&Builder::Proc);
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  folder_ = current;
  main_ = CreateWindowExA(0, kMainClass, "", WS_OVERLAPPEDWINDOW, 20, 20, 640, 480, nullptr,
                          nullptr, GetModuleHandleA(nullptr), this);
  if (main_ == nullptr)
    return false;
  CreateControls();
  // The title comes last, so a test that finds the window finds it complete.
  SetWindowTextA(main_, SystemText("LumoraBuilder").c_str());
  ShowWindow(main_, SW_SHOW);
  log_.Write("ready");
  return true;
}

void Builder::CreateControls() {
  HWND toolbar = AddPanel(main_, 0, 0, 640, 40);
  if (!options_.noClear)
    AddButton(toolbar, SystemText("クリア"), 10, 5, 90, 28, kClearId);
  // The image data screen; with --hide-add the builder shows another one.
  HWND screen = AddPanel(toolbar, 110, 0, 200, 40, !options_.hideAdd);
  AddButton(screen, SystemText("リストに追加"), 0, 5, 120, 28, kAddId);

  HWND form = AddPanel(main_, 0, 40, 640, 150);
  AddChild(form, "Static", SystemText("タイトル"), WS_VISIBLE, 10, 10, 80, 20);
  edits_[0] = TypedEdit::Create(form, 100, 8, 400, 24, kTitleId);
  AddChild(form, "Static", SystemText("著者"), WS_VISIBLE, 10, 40, 80, 20);
  edits_[1] = TypedEdit::Create(form, 100, 38, 400, 24, kAuthorId);
  AddChild(form, "Static", SystemText("出版社"), WS_VISIBLE, 10, 70, 80, 20);
  edits_[2] = TypedEdit::Create(form, 100, 68, 400, 24, kThirdId);
  AddButton(form, SystemText("作成"), 100, 105, 90, 28, kCreateId);

  listBox_ = AddChild(main_, "ListBox", "", WS_VISIBLE | WS_BORDER | WS_VSCROLL, 10, 200, 600, 230,
                      kListId);
}

int Builder::Run() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

LRESULT CALLBACK Builder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Builder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    self->OnCommand(LOWORD(wParam));
    return 0;
  }
  if (self != nullptr && message == WM_CLOSE)
    self->log_.Write("close");
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Builder::OnCommand(int id) {
  if (id == kClearId)
    Clear();
  else if (id == kAddId)
    AddToList();
  else if (id == kCreateId)
    CreateBook();
}

void Builder::Clear() {
  for (TypedEdit* edit : edits_)
    edit->Clear();
  list_.clear();
  SendMessageA(listBox_, LB_RESETCONTENT, 0, 0);
  log_.Write("clear");
}

void Builder::AddToList() {
  log_.Trace("add-to-list clicked");
  Sleep(options_.dialogDelay);
  OpenFileDialog dialog(log_, folder_);
  dialog.Run(main_, SystemText("ファイルを開く"), 500, 360);
  folder_ = dialog.Folder();
  for (const std::string& path : dialog.Chosen()) {
    list_.push_back(path);
    SendMessageA(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
  }
}

void Builder::CreateBook() {
  log_.Trace("create clicked");
  Sleep(options_.dialogDelay);
  MessageDialog confirm(log_, "confirm", SystemText("オリジナル書籍を作成しますか？"),
                        {{SystemText("はい(&Y)"), IDYES}, {SystemText("いいえ(&N)"), IDNO}});
  confirm.Run(main_, SystemText("確認"), 460, 170);
  if (confirm.Result() != IDYES || !RecordBook() || options_.noCompletion)
    return;
  Sleep(options_.dialogDelay);
  MessageDialog done(
      log_, "complete",
      SystemText("オリジナル書籍の作成が正常に終了しました。\n\n"
                 "「PC書庫」で「更新」ボタンを押すと、作成した書籍が\n表示されます。"),
      {{"OK", IDOK}});
  done.Run(main_, SystemText("情報"), 460, 170);
}

bool Builder::RecordBook() {
  ++books_;
  const std::string folder = log_.Folder() + "\\book" + std::to_string(books_);
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string title = edits_[0]->Bytes();
  std::string text = "title: " + title + "\ntitle-hex: " + Hex(title) +
                     "\nauthor: " + edits_[1]->Bytes() + "\nthird: " + edits_[2]->Bytes() + "\n";
  for (size_t i = 0; i < list_.size(); ++i) {
    const std::string name = FileNamePart(list_[i], PathStyle::Windows);
    text += "page: " + name + "\n";
    char number[16];
    std::snprintf(number, sizeof number, "%04zu_", i + 1);
    const std::string copy = folder + "\\" + number + name;
    if (!CopyFileA(list_[i].c_str(), copy.c_str(), TRUE)) {
      log_.Write("error: cannot copy " + list_[i]);
      return false;
    }
  }
  const std::string bookFile = folder + "\\book.txt";
  FILE* file = std::fopen(bookFile.c_str(), "wb");
  if (file == nullptr) {
    log_.Write("error: cannot write " + bookFile);
    return false;
  }
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  log_.Write("book " + std::to_string(books_));
  return true;
}

}  // namespace
}  // namespace tamsolo::standin

int main(int argc, char** argv) {
  tamsolo::standin::Options options;
  if (!tamsolo::standin::ParseOptions(argc, argv, options)) {
    std::fputs(
        "usage: standin_builder --record FOLDER [--hide-add] [--no-clear] [--no-completion] "
        "[--dialog-delay MS]\n",
        stderr);
    return 2;
  }
  tamsolo::standin::Builder builder(options);
  if (!builder.Create())
    return 1;
  return builder.Run();
}
