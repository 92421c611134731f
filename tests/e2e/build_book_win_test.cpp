#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "builder/builder_book_sink_win.h"
#include "builder/window_search_win.h"
#include "e2e_support_win.h"
#include "platform/system_text.h"

namespace tamsolo::e2e {
namespace {

constexpr DWORD kBuildTimeout = 60000;
constexpr DWORD kEventTimeout = 30000;

std::vector<std::string> PageNames(int count) {
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%03d.bmp", i);
    names.push_back(name);
  }
  return names;
}

std::string BookText(const std::string& title, const std::string& titleHex,
                     const std::vector<std::string>& pages) {
  std::string text =
      "title: " + title + "\ntitle-hex: " + titleHex + "\nauthor: Tamsolo\nthird: \n";
  for (const std::string& page : pages)
    text += "page: " + page + "\n";
  return text;
}

// What the stand-in logs for one book fed through open-file dialogs of the given sizes.
std::vector<std::string> BookEvents(const std::string& folder, const std::vector<int>& chunks,
                                    int book, bool cleared = true) {
  std::vector<std::string> events;
  if (cleared)
    events.push_back("clear");
  for (const int names : chunks) {
    events.push_back("open-shown");
    events.push_back("open-folder " + folder);
    events.push_back("open-files " + std::to_string(names));
  }
  for (const char* event : {"confirm-shown", "confirm-yes"})
    events.push_back(event);
  events.push_back("book " + std::to_string(book));
  for (const char* event : {"complete-shown", "complete-ok"})
    events.push_back(event);
  return events;
}

std::vector<std::string> Joined(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

class BuildBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "the builder's texts are compared in Shift-JIS";
  }

  // Builds one book against standIn (null: no builder) and waits until BuildBook returns.
  void Build(StandIn* standIn, const std::string& currentBook,
             const std::vector<std::string>& pages, const PageFolder& folder) {
    const ULONGLONG start = GetTickCount64();
    BuildRun run([&] { sink_.BuildBook(currentBook, pages, folder.Path()); }, standIn);
    ASSERT_TRUE(run.Wait(kBuildTimeout))
        << "BuildBook started at " << start << " and did not return; the builder logged:\n"
        << (standIn != nullptr ? standIn->Trace() : std::string());
  }

  void ExpectCopies(const StandIn& standIn, int book, const std::vector<std::string>& pages,
                    const PageFolder& folder) {
    for (size_t i = 0; i < pages.size(); ++i) {
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, "\\%04zu_", i + 1);
      const std::string original = FileText(folder.PagePath(pages[i]));
      ASSERT_GT(original.size(), 1000u) << pages[i] << " was not written or is gone";
      // Compared as a whole; a page file is too big to print.
      EXPECT_TRUE(FileText(standIn.BookFolder(book) + prefix + pages[i]) == original)
          << "the builder's copy of " << pages[i] << " differs";
    }
  }

  BuilderBookSink sink_;
};

TEST(WineLocale, AnsiCodePageIsShiftJis) {
  EXPECT_EQ(GetACP(), 932u);
}

TEST_F(BuildBookTest, FiftyPagesGoThroughThreeDialogsInBookOrder) {
  const auto pages = PageNames(50);
  PageFolder folder(pages);
  StandIn standIn;
  ASSERT_EQ(standIn.StartError(), "");
  Build(&standIn, SystemText("作品") + "\\", pages, folder);

  EXPECT_EQ(standIn.Events(), Joined({"ready"}, BookEvents(folder.Path(), {22, 22, 6}, 1)));
  EXPECT_EQ(standIn.BookText(1), BookText("\x8D\xEC\x95\x69", "8dec9569", pages));
  ExpectCopies(standIn, 1, pages, folder);
}

TEST_F(BuildBookTest, DoubleByteTitleEndingInSoKeepsItsLastCharacter) {
  // ソ ends in 0x5C; the dialogs come late, so the watchers have to search more than once.
  const auto pages = PageNames(3);
  PageFolder folder(pages);
  StandIn standIn({"--dialog-delay", "300"});
  ASSERT_EQ(standIn.StartError(), "");
  Build(&standIn, SystemText("漫画ソ") + "\\", pages, folder);

  EXPECT_EQ(standIn.BookText(1), BookText("\x96\x9F\x89\xE6\x83\x5C", "969f89e6835c", pages));
  ExpectCopies(standIn, 1, pages, folder);
}

TEST_F(BuildBookTest, RootFolderBookGetsAnEmptyTitle) {
  const auto pages = PageNames(1);
  PageFolder folder(pages);
  StandIn standIn;
  ASSERT_EQ(standIn.StartError(), "");
  Build(&standIn, "\\", pages, folder);

  EXPECT_EQ(standIn.Events(), Joined({"ready"}, BookEvents(folder.Path(), {1}, 1)));
  EXPECT_EQ(standIn.BookText(1), BookText("", "", pages));
}

TEST_F(BuildBookTest, MissingBuilderIsLeftAloneAndThePagesStay) {
  const auto pages = PageNames(2);
  PageFolder folder(pages);
  const std::string before = FileText(folder.PagePath(pages[1]));
  ASSERT_EQ(FindBuilderWindow(), nullptr);
  Build(nullptr, "vol1\\", pages, folder);
  EXPECT_TRUE(FileText(folder.PagePath(pages[1])) == before);
}

TEST_F(BuildBookTest, BuilderWithoutClearButtonStillGetsTheWholeBook) {
  const auto pages = PageNames(2);
  PageFolder folder(pages);
  StandIn standIn({"--no-clear"});
  ASSERT_EQ(standIn.StartError(), "");
  Build(&standIn, "vol1\\", pages, folder);

  EXPECT_EQ(standIn.Events(), Joined({"ready"}, BookEvents(folder.Path(), {2}, 1, false)));
  EXPECT_EQ(standIn.BookText(1), BookText("vol1", "766f6c31", pages));
}

TEST_F(BuildBookTest, SecondBookStartsFromAClearedForm) {
  const auto first = PageNames(2);
  const std::vector<std::string> second = {"q001.bmp"};
  PageFolder firstFolder(first);
  PageFolder secondFolder(second);
  StandIn standIn;
  ASSERT_EQ(standIn.StartError(), "");
  Build(&standIn, "vol1\\", first, firstFolder);
  Build(&standIn, "vol2\\", second, secondFolder);

  EXPECT_EQ(standIn.BookText(2), BookText("vol2", "766f6c32", second));
  ExpectCopies(standIn, 2, second, secondFolder);
  EXPECT_EQ(standIn.Events(), Joined(Joined({"ready"}, BookEvents(firstFolder.Path(), {2}, 1)),
                                     BookEvents(secondFolder.Path(), {1}, 2)));
}

TEST_F(BuildBookTest, ReadyOnlyWithAVisibleAddButton) {
  EXPECT_FALSE(IsBuilderReady());
  {
    StandIn otherScreen({"--hide-add"});
    ASSERT_EQ(otherScreen.StartError(), "");
    EXPECT_FALSE(IsBuilderReady());
  }
  StandIn standIn;
  ASSERT_EQ(standIn.StartError(), "");
  EXPECT_TRUE(IsBuilderReady());
  EXPECT_TRUE(standIn.CloseAndWait(kEventTimeout)) << "the builder must close on WM_CLOSE";
  EXPECT_FALSE(IsBuilderReady());
}

// A top-level window of this process, in front of every dialog of the builder.
class FrontWindow {
 public:
  explicit FrontWindow(const std::string& title)
      : handle_(CreateWindowExA(WS_EX_TOPMOST, "Static", title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0,
                                50, 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}
  ~FrontWindow() { DestroyWindow(handle_); }
  HWND Handle() const { return handle_; }

 private:
  HWND handle_;
};

TEST_F(BuildBookTest, TopLevelWindowWithTheConfirmationTextEndsThatWatcher) {
  FrontWindow decoy(SystemText("オリジナル書籍を作成しますか？"));
  ASSERT_NE(decoy.Handle(), nullptr);
  const auto pages = PageNames(1);
  PageFolder folder(pages);
  StandIn standIn;
  ASSERT_EQ(standIn.StartError(), "");
  BuildRun run([&] { sink_.BuildBook("vol1\\", pages, folder.Path()); }, &standIn);

  ASSERT_TRUE(standIn.WaitForEvent("confirm-shown", kEventTimeout));
  // The watcher clicks 200 ms after it finds its text; a full second passes unanswered.
  EXPECT_FALSE(standIn.WaitForEvent("confirm-yes", 1000));

  HWND dialog = FindWindowA(nullptr, SystemText("確認").c_str());
  HWND parent = nullptr;
  HWND yes = FindChildByText(dialog, parent, SystemText("はい(&Y)"));
  ASSERT_NE(yes, nullptr);
  ClickButton(yes);
  ASSERT_TRUE(run.Wait(kBuildTimeout));
  EXPECT_EQ(standIn.Events(), Joined({"ready"}, BookEvents(folder.Path(), {1}, 1)));
}

}  // namespace
}  // namespace tamsolo::e2e
