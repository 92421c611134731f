#include <windows.h>

#include <chrono>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builder/watch_threads_win.h"
#include "builder/window_search_win.h"
#include "e2e_support_win.h"
#include "platform/system_text.h"

namespace tamsolo {
namespace {

// What a test window received.
struct Received {
  std::string chars;
  int keyMessages = 0;  // WM_KEYFIRST..WM_KEYLAST other than WM_CHAR
  int clicks = 0;       // BN_CLICKED from a child button
  int textQueries = 0;  // WM_GETTEXT
};

constexpr char kRecorderClass[] = "TamsoloSearchTestWindow";

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto* received = reinterpret_cast<Received*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
    if (message == WM_CHAR)
      received->chars += static_cast<char>(wParam);
    else if (message >= WM_KEYFIRST && message <= WM_KEYLAST)
      ++received->keyMessages;
    else if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
      ++received->clicks;
    else if (message == WM_GETTEXT)
      ++received->textQueries;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A window tree of the test's own under one top-level root; every window records what it
// receives. Destroying the root destroys the tree.
class WindowTree : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &RecorderProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kRecorderClass;
    RegisterClassA(&windowClass);
  }

  void SetUp() override {
    rootTitle_ = "search test root " + std::to_string(GetCurrentProcessId());
    root_ = Add(nullptr, rootTitle_);
    ASSERT_NE(root_, nullptr);
  }

  void TearDown() override { DestroyWindow(root_); }

  HWND Add(HWND parent, const std::string& text, const char* className = kRecorderClass,
           DWORD extraStyle = 0) {
    const DWORD style = (parent == nullptr ? WS_OVERLAPPED : WS_CHILD | WS_VISIBLE) | extraStyle;
    HWND window = CreateWindowExA(0, className, text.c_str(), style, 0, 0, 100, 30, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    received_.emplace_back(std::make_unique<Received>());
    if (className == kRecorderClass)
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(received_.back().get()));
    return window;
  }

  static Received& Of(HWND window) {
    return *reinterpret_cast<Received*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }

  static void ToFront(HWND window) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  std::string rootTitle_;
  HWND root_ = nullptr;
  std::vector<std::unique_ptr<Received>> received_;
};

TEST_F(WindowTree, SearchIsDepthFirstAndComparesAWindowBeforeItsChildren) {
  HWND first = Add(root_, "first");
  HWND second = Add(root_, "wanted");
  HWND inFirst = Add(first, "wanted");
  Add(second, "wanted");
  ToFront(second);
  ToFront(first);

  HWND parent = nullptr;
  EXPECT_EQ(FindChildByText(root_, parent, "wanted"), inFirst);
  EXPECT_EQ(parent, first);

  DestroyWindow(inFirst);
  EXPECT_EQ(FindChildByText(root_, parent, "wanted"), second);
  EXPECT_EQ(parent, root_);
}

TEST_F(WindowTree, SiblingsAreSearchedFrontToBack) {
  HWND one = Add(root_, "twin");
  HWND two = Add(root_, "twin");
  HWND parent = nullptr;
  ToFront(two);
  EXPECT_EQ(FindChildByText(root_, parent, "twin"), two);
  ToFront(one);
  EXPECT_EQ(FindChildByText(root_, parent, "twin"), one);
}

TEST_F(WindowTree, RootIsNeverComparedAndAFailedSearchKeepsParentOut) {
  Add(root_, "child");
  HWND parent = root_;
  EXPECT_EQ(FindChildByText(root_, parent, rootTitle_), nullptr);
  EXPECT_EQ(parent, root_);
  EXPECT_EQ(FindChildByText(root_, parent, "Child"), nullptr);
  EXPECT_EQ(FindChildByText(root_, parent, "child "), nullptr);

  // From the desktop the root is a top-level window like any other; its parent is none.
  EXPECT_EQ(FindChildByText(nullptr, parent, rootTitle_), root_);
  EXPECT_EQ(parent, nullptr);
}

TEST_F(WindowTree, TextsAreComparedOnTheirFirst1023Bytes) {
  const std::string fits(1023, 'a');
  const std::string tooLong(1024, 'b');
  HWND fitting = Add(root_, fits);
  HWND cut = Add(root_, tooLong);
  HWND parent = nullptr;
  EXPECT_EQ(FindChildByText(root_, parent, fits), fitting);
  EXPECT_EQ(FindChildByText(root_, parent, tooLong), nullptr);
  EXPECT_EQ(FindChildByText(root_, parent, tooLong.substr(0, 1023)), cut);
}

TEST_F(WindowTree, TypeTextSendsOneCharMessagePerByteLeadByteFirst) {
  ASSERT_EQ(GetACP(), 932u) << "double-byte characters are Shift-JIS";
  HWND field = Add(root_, "");
  TypeText(field,
           "\x96\x9F"
           "a\\");  // 漫 then two single bytes
  EXPECT_EQ(Of(field).chars,
            "\x96\x9F"
            "a\\");
  EXPECT_EQ(Of(field).keyMessages, 0);
  TypeText(field, "");
  EXPECT_EQ(Of(field).chars.size(), 4u);
}

TEST_F(WindowTree, ClickButtonReachesTheButtonsOwner) {
  HWND button = Add(root_, "press", "Button");
  ShowWindow(root_, SW_SHOWNOACTIVATE);
  ClickButton(button);
  EXPECT_EQ(Of(root_).clicks, 1);
  ClickButton(nullptr);
  TypeText(nullptr, "ignored");
  EXPECT_EQ(Of(root_).clicks, 1);
}

// Runs a watcher's Execute on the calling thread, so the test knows when it has ended.
class CreateWatcher : public TWatchCreateDialogThread {
 public:
  CreateWatcher(const std::string& text, const std::string& caption, int32_t maxTries) {
    WindowText = text;
    ButtonCaption = caption;
    MaxTries = maxTries;
  }
  using TWatchCreateDialogThread::Execute;
};

TEST_F(WindowTree, UnlimitedCreateWatcherWaitsForItsTextAndItsButton) {
  ShowWindow(root_, SW_SHOWNOACTIVATE);
  // Every search reads the root's text; the watcher's reads are served while this thread pumps.
  const auto searchesReach = [&](int count) {
    return e2e::PumpUntil([&] { return Of(root_).textQueries >= count; }, 10000);
  };
  Of(root_).textQueries = 0;
  std::thread watcher([] { CreateWatcher("late text", "late button", 0).Execute(); });
  ASSERT_TRUE(searchesReach(2));
  Add(root_, "late text");  // a dialog still being built: its button comes later
  ASSERT_TRUE(searchesReach(Of(root_).textQueries + 2));
  EXPECT_EQ(Of(root_).clicks, 0);
  Add(root_, "late button", "Button");
  const bool clicked = e2e::PumpUntil([&] { return Of(root_).clicks == 1; }, 10000);
  EXPECT_TRUE(clicked);
  if (clicked)
    watcher.join();
  else
    watcher.detach();  // it would poll for ever
}

class OpenWatcher : public TWatchOpenDialogThread {
 public:
  using TWatchOpenDialogThread::Execute;
};

TEST_F(WindowTree, CreateWatcherClicksTheButtonBesideItsText) {
  Add(root_, "please confirm");
  Add(root_, "yes", "Button");
  ShowWindow(root_, SW_SHOWNOACTIVATE);

  CreateWatcher(rootTitle_ + " absent", "yes", 3).Execute();
  EXPECT_EQ(Of(root_).clicks, 0);
  CreateWatcher("please confirm", "no such button", 1).Execute();
  EXPECT_EQ(Of(root_).clicks, 0);
  CreateWatcher("please confirm", "yes", 1).Execute();
  EXPECT_EQ(Of(root_).clicks, 1);
}

TEST_F(WindowTree, CreateWatcherCountsItsTries) {
  // Every search from the desktop reads the root's text once: the queries count the tries.
  Of(root_).textQueries = 0;
  CreateWatcher("nowhere", "yes", 3).Execute();
  EXPECT_EQ(Of(root_).textQueries, 3);

  Add(root_, "please confirm");
  Add(root_, "yes", "Button");
  Of(root_).textQueries = 0;
  CreateWatcher("please confirm", "yes", -1).Execute();
  EXPECT_EQ(Of(root_).textQueries, 0);
  EXPECT_EQ(Of(root_).clicks, 0);
}

TEST_F(WindowTree, OpenWatcherGivesUpAfterTenSearches) {
  Of(root_).textQueries = 0;
  const auto start = std::chrono::steady_clock::now();
  OpenWatcher().Execute();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(Of(root_).textQueries, kOpenDialogTries);
  // 200 ms before the first search and 100 ms after each; a little slack for the clock.
  EXPECT_GE(elapsed, std::chrono::milliseconds(1100));
}

TEST_F(WindowTree, OpenWatcherWaitsForTheDialogsControlsThenFillsItIn) {
  ASSERT_EQ(GetACP(), 932u) << "the dialog's captions are Shift-JIS";
  ShowWindow(root_, SW_SHOWNOACTIVATE);
  // The watcher's searches wait on this thread, so each step below lands between two of them.
  const auto searchesReach = [&](int count) {
    return e2e::PumpUntil([&] { return Of(root_).textQueries >= count; }, 10000);
  };
  Of(root_).textQueries = 0;
  std::thread watcher([] {
    OpenWatcher open;
    open.FolderPath = "C:\\pages";
    open.FileNames = "\"p001.bmp\" \"p002.bmp\" ";
    open.Execute();
  });
  ASSERT_TRUE(searchesReach(2));
  SetWindowTextA(root_, SystemText("ファイルを開く").c_str());
  ASSERT_TRUE(searchesReach(Of(root_).textQueries + 2));
  Add(root_, SystemText("開く(&O)"), "Button");
  Add(root_, SystemText("キャンセル"), "Button");
  HWND edit = Add(root_, "", "Edit", ES_AUTOHSCROLL);

  EXPECT_TRUE(e2e::PumpUntil([&] { return Of(root_).clicks == 2; }, 10000));
  watcher.join();
  // WM_CLEAR found no selection, so the names follow the folder.
  char text[256] = {};
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "C:\\pages\"p001.bmp\" \"p002.bmp\" ");
  EXPECT_EQ(Of(root_).clicks, 2);
}

}  // namespace
}  // namespace tamsolo
