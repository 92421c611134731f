#include "standin_dialogs_win.h"

#include "platform/paths.h"
#include "platform/system_text.h"

namespace tamsolo::standin {
namespace {

constexpr int kFolderListId = 100;
constexpr int kFileNameId = 101;

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

const char* ButtonName(int id) {
  switch (id) {
    case IDYES:
      return "yes";
    case IDNO:
      return "no";
    case IDOK:
      return "ok";
    default:
      return "cancel";
  }
}

}  // namespace

bool ParseQuotedNames(const std::string& text, std::vector<std::string>& names) {
  names.clear();
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '"')
      return false;
    const size_t close = text.find('"', i + 1);
    // No Shift-JIS byte is 0x22, so the next quote closes the name.
    if (close == std::string::npos || close == i + 1)
      return false;
    names.push_back(text.substr(i + 1, close - i - 1));
    i = close + 1;
    if (i >= text.size() || text[i] != ' ')
      return false;
    while (i < text.size() && text[i] == ' ')
      ++i;
  }
  return !names.empty();
}

void OpenFileDialog::CreateControls() {
  AddChild(Handle(), "Static", SystemText("ファイルの場所:"), WS_VISIBLE, 10, 10, 400, 20);
  folderList_ = AddChild(Handle(), "ListBox", "", WS_VISIBLE | WS_BORDER | WS_VSCROLL, 10, 35, 460,
                         200, kFolderListId);
  AddChild(Handle(), "Static", SystemText("ファイル名(&N):"), WS_VISIBLE, 10, 248, 110, 20);
  edit_ = TypedEdit::Create(Handle(), 120, 245, 250, 24, kFileNameId);
  AddButton(Handle(), SystemText("開く(&O)"), 380, 245, 90, 26, IDOK);
  AddButton(Handle(), SystemText("キャンセル"), 380, 280, 90, 26, IDCANCEL);
  ShowFolder();
}

void OpenFileDialog::OnButton(int id) {
  if (id == IDOK) {
    Open();
  } else if (id == IDCANCEL) {
    log_.Write("open-cancelled");
    End();
  }
}

void OpenFileDialog::Open() {
  const std::string text = edit_->Bytes();
  if (IsFolder(text)) {
    folder_ = RemoveTrailingDelimiter(text, PathStyle::Windows);
    ShowFolder();
    edit_->SelectAll();
    log_.Write("open-folder " + text);
    return;
  }
  std::vector<std::string> names;
  if (!ParseQuotedNames(text, names)) {
    log_.Write("error: open-file field holds neither a folder nor quoted names: " + text);
    return;
  }
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    const std::string path = AddTrailingDelimiter(folder_, PathStyle::Windows) + name;
    if (!IsFile(path)) {
      log_.Write("error: no file " + path);
      return;
    }
    paths.push_back(path);
  }
  chosen_ = std::move(paths);
  log_.Write("open-files " + std::to_string(chosen_.size()));
  End();
}

void OpenFileDialog::ShowFolder() {
  SendMessageA(folderList_, LB_RESETCONTENT, 0, 0);
  WIN32_FIND_DATAA found;
  const std::string pattern = AddTrailingDelimiter(folder_, PathStyle::Windows) + "*";
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return;
  do {
    SendMessageA(folderList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void MessageDialog::CreateControls() {
  AddChild(Handle(), "Static", message_, WS_VISIBLE | SS_LEFT, 10, 10, 420, 80);
  int x = 10;
  for (const Button& button : buttons_) {
    AddButton(Handle(), button.caption, x, 100, 100, 26, button.id);
    x += 110;
  }
}

void MessageDialog::OnButton(int id) {
  result_ = id;
  log_.Write(eventName_ + "-" + ButtonName(id));
  End();
}

}  // namespace tamsolo::standin
