#include "builder/builder_book_sink_win.h"

#include "builder/watch_threads_win.h"
#include "builder/window_search_win.h"
#include "platform/paths.h"
#include "platform/system_text.h"
#include "queue/page_chunks.h"

namespace tamsolo {
namespace {

struct BuilderTexts {
  std::string title = SystemText("LumoraBuilder");
  std::string clearButton = SystemText("クリア");
  std::string addButton = SystemText("リストに追加");
  std::string createButton = SystemText("作成");
  std::string author = SystemText(kBookAuthor);
  std::string confirmation = SystemText("オリジナル書籍を作成しますか？");
  std::string yesButton = SystemText("はい(&Y)");
  std::string completion = SystemText(
      "オリジナル書籍の作成が正常に終了しました。\n\n"
      "「PC書庫」で「更新」ボタンを押すと、作成した書籍が\n表示されます。");
  std::string okButton = SystemText("OK");
};

const BuilderTexts& Texts() {
  static const BuilderTexts kTexts;
  return kTexts;
}

// The builder's controls that a build needs; create and the three edits are required.
struct BuilderForm {
  HWND clearButton = nullptr;
  HWND addButton = nullptr;
  HWND createButton = nullptr;
  HWND edits[3] = {};
};

bool FindForm(HWND builder, BuilderForm& form) {
  HWND formParent = nullptr;
  form.clearButton = FindChildByText(builder, formParent, Texts().clearButton);
  form.addButton = FindChildByText(builder, formParent, Texts().addButton);
  form.createButton = FindChildByText(builder, formParent, Texts().createButton);
  if (form.createButton == nullptr)
    return false;
  HWND previous = nullptr;
  for (HWND& edit : form.edits) {
    edit = FindWindowExA(formParent, previous, "Edit", nullptr);
    if (edit == nullptr)
      return false;
    previous = edit;
  }
  return true;
}

}  // namespace

HWND FindBuilderWindow() {
  return FindWindowA(nullptr, Texts().title.c_str());
}

bool IsBuilderReady() {
  HWND builder = FindBuilderWindow();
  if (builder == nullptr)
    return false;
  HWND parent = nullptr;
  HWND addButton = FindChildByText(builder, parent, Texts().addButton);
  return addButton != nullptr && IsWindowVisible(addButton);
}

void AddPagesChunk(HWND addButton, const std::string& workFolder, const std::string& chunk) {
  TWatchOpenDialogThread::Start(workFolder, chunk);
  ClickButton(addButton);
}

void BuilderBookSink::BuildBook(const std::string& currentBook,
                                const std::vector<std::string>& pageList,
                                const std::string& workFolder) {
  HWND builder = FindBuilderWindow();
  if (builder == nullptr || pageList.empty())
    return;
  BuilderForm form;
  if (!FindForm(builder, form))
    return;
  ClickButton(form.clearButton);
  TypeText(form.edits[0], RemoveTrailingDelimiter(currentBook, PathStyle::Windows));
  TypeText(form.edits[1], Texts().author);
  for (const std::string& chunk : ChunkPageNames(pageList))
    AddPagesChunk(form.addButton, workFolder, chunk);
  TWatchCreateDialogThread::Start(Texts().confirmation, Texts().yesButton, kConfirmationTries);
  TWatchCreateDialogThread::Start(Texts().completion, Texts().okButton, kCompletionTries);
  ClickButton(form.createButton);
}

}  // namespace tamsolo
