// Tamsolo.exe driven from outside as a user drives it: drops from another process, clicks on
// its buttons, the stand-in builder's record, the screen.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "app_support_win.h"
#include "e2e_support_win.h"
#include "platform/system_text.h"
#include "support/archive_writer.h"
#include "support/jpeg_encoder.h"
#include "support/rgb_image_maker.h"
#include "support/sample_images.h"

namespace tamsolo::e2e {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

constexpr DWORD kStart = 20000;
constexpr DWORD kBook = 60000;
constexpr DWORD kExit = 15000;
// A scenario whose click must land while a job runs is run again when the job ended first.
constexpr int kAttempts = 3;

std::string S(const char* utf8) {
  return SystemText(utf8);
}

// A command line of the command-line program: each argument quoted.
std::string Cli(const std::vector<std::string>& args) {
  std::string line = "\"";
  line += CliExecutable();
  line += '"';
  for (const std::string& arg : args) {
    line += " \"";
    line += arg;
    line += '"';
  }
  return line;
}

// Paths here are ANSI bytes: the library's paths would take Shift-JIS names for UTF-8.
void WritePage(const std::string& folder, const std::string& name, int width, int height,
               int seed) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\" + name;
  testing::WriteImageFile(path, testing::MakeSamplePage(width, height, seed),
                          testing::SampleFormatFor(path));
}

// The entries of a folder, "." and ".." left out.
std::vector<WIN32_FIND_DATAA> Entries(const std::string& folder) {
  std::vector<WIN32_FIND_DATAA> entries;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return entries;
  do {
    if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..")
      entries.push_back(found);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

// A gray JPEG big enough that decoding and scaling it take a while.
const std::string& SlowJpeg() {
  static testing::TempFolder folder;
  static const std::string kPath = [] {
    const std::string file = folder.File("slow\\big.jpg");
    fs::create_directories(folder.Path() / "slow");
    const RgbImage image = testing::MakeRgbImage(6000, 8500, [](int x, int y) {
      const uint8_t v = static_cast<uint8_t>((x / 7 + y / 5) * 37);
      return testing::Rgb{v, v, v};
    });
    const std::vector<uint8_t> bytes = testing::EncodeGrayJpeg(image, {80, false});
    FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    return file;
  }();
  return kPath;
}

// The files of a folder with their bytes, by name.
std::map<std::string, std::string> FilesIn(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const WIN32_FIND_DATAA& entry : Entries(folder)) {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      files[entry.cFileName] = FileText(folder + "\\" + entry.cFileName);
  }
  return files;
}

// A book's page copies, numbered in book order, without its book.txt (whose format differs
// between the stand-in and the command line).
std::map<std::string, std::string> BookPages(const std::string& folder) {
  auto files = FilesIn(folder);
  files.erase("book.txt");
  return files;
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 932u); }

  // Starts the stand-in and the program; the main window must show unless told otherwise.
  void Start(const std::vector<std::string>& standInSwitches = {},
             const AppRun::Options& options = {std::string("[Config]\r\n"), "", ""},
             bool waitForWindow = true) {
    standIn_.emplace(standInSwitches);
    ASSERT_EQ(standIn_->StartError(), "");
    app_.emplace(options);
    ASSERT_TRUE(app_->Started()) << app_->StartError();
    if (waitForWindow) {
      ASSERT_NE(app_->WaitForWindow(kStart), nullptr) << app_->Unexpected();
    }
  }

  void Click(int button) { Send(app_->Control(button), BM_CLICK); }

  void Drop(const Names& paths, bool wide) {
    ASSERT_EQ(InjectDrop(app_->Window(), paths, wide), "");
  }

  // Waits until the list holds count items and the label agrees.
  bool WaitForQueue(size_t count, DWORD timeoutMs) {
    const std::string caption = std::to_string(count) + S("ファイル");
    return PumpUntil(
        [&] {
          return Send(app_->Control(kFileList), LB_GETCOUNT) == static_cast<LRESULT>(count) &&
                 TextOf(app_->Control(kRemainLabel)) == caption;
        },
        timeoutMs);
  }

  // Posts WM_CLOSE and checks a clean end: exit code 0, no work folder, no stray window.
  void CloseAndCheck(DWORD timeoutMs) {
    EXPECT_EQ(app_->Unexpected(), "");
    PostMessageA(app_->Window(), WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(app_->WaitForExit(timeoutMs, code)) << app_->Unexpected();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(app_->TmpFolders(), Names{});
  }

  // Presses hold and tells whether it landed while the job of the file shown as itemText was
  // still running. Both the click and the job's end run on the window's thread, and the end
  // changes the label (to nothing, or to the next file), so the label after the click says
  // which came first. A job that ended first may already have taken the next file or closed
  // the book, which changes what the test can expect.
  bool HoldDuringJob(const std::string& itemText) {
    Click(kStopButton);
    return TextOf(app_->Control(kConvertingFileLabel)) == itemText;
  }

  std::string WorkFolder() const {
    const Names folders = app_->TmpFolders();
    return folders.size() == 1 ? app_->Tmp() + "\\" + folders[0] : std::string();
  }

  testing::TempFolder src_;
  std::optional<StandIn> standIn_;
  std::optional<AppRun> app_;
};

struct Geometry {
  int left, top, width, height;
  bool operator==(const Geometry&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Geometry& g) {
  return out << g.left << "," << g.top << "," << g.width << "," << g.height;
}

Geometry GeometryOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(AppTest, WindowControlsAndShutDownSeenFromOutside) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const HWND window = FindWindowA("TTamsoloForm", S("Lumora漫画コンバータ").c_str());
  ASSERT_EQ(window, app_->Window());
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 259);
  EXPECT_EQ(client.bottom, 225);
  EXPECT_EQ(GetMenu(window), nullptr);

  struct Expected {
    int id;
    const char* className;
    const char* text;
    Geometry geometry;
  };
  const Expected controls[] = {
      {kLabel1, "Static", "フォルダかファイルをドラッグ＆ドロップ", {0, 8, 194, 12}},
      {kFileList, "ListBox", "", {0, 24, 258, 114}},
      {kRemainLabel, "Static", "0ファイル", {38, 138, 217, 17}},
      {kGroupBox1, "Button", "処理中", {2, 156, 254, 65}},
      {kStartButton, "Button", "変換する", {16, 32, 105, 22}},
      {kStopButton, "Button", "変換するの待つ", {136, 32, 105, 22}},
  };
  for (const Expected& c : controls) {
    const HWND control = app_->Control(c.id);
    ASSERT_NE(control, nullptr) << c.id;
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    EXPECT_STREQ(name, c.className) << c.id;
    EXPECT_EQ(TextOf(control), S(c.text)) << c.id;
    EXPECT_EQ(GeometryOf(control), c.geometry) << c.id;
  }
  const HWND converting = app_->Control(kConvertingFileLabel);
  EXPECT_EQ(TextOf(converting), "");
  const Geometry label = GeometryOf(converting);
  EXPECT_EQ(label.left, 8);
  EXPECT_EQ(label.top, 16);
  EXPECT_EQ(label.height, 12);

  const HWND list = app_->Control(kFileList);
  const LONG listStyle = GetWindowLongA(list, GWL_STYLE);
  for (const LONG bit : {LBS_SORT, LBS_OWNERDRAWFIXED, LBS_HASSTRINGS, LBS_NOINTEGRALHEIGHT})
    EXPECT_EQ(listStyle & bit, bit) << std::hex << bit;
  EXPECT_EQ(Send(list, LB_GETITEMHEIGHT), 12);
  EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);

  // The two buttons: auto radio, push-like, one group starting at convert, hold down.
  const HWND start = app_->Control(kStartButton), stop = app_->Control(kStopButton);
  for (const HWND button : {start, stop}) {
    const LONG style = GetWindowLongA(button, GWL_STYLE);
    EXPECT_EQ(style & BS_TYPEMASK, BS_AUTORADIOBUTTON);
    EXPECT_NE(style & BS_PUSHLIKE, 0);
  }
  EXPECT_NE(GetWindowLongA(start, GWL_STYLE) & WS_GROUP, 0);
  EXPECT_EQ(GetWindowLongA(stop, GWL_STYLE) & WS_GROUP, 0);
  const auto checks = [&] { return std::pair{Send(start, BM_GETCHECK), Send(stop, BM_GETCHECK)}; };
  EXPECT_EQ(checks(), std::pair(LRESULT{BST_UNCHECKED}, LRESULT{BST_CHECKED}));
  Click(kStopButton);  // the pressed one: nothing changes
  EXPECT_EQ(checks(), std::pair(LRESULT{BST_UNCHECKED}, LRESULT{BST_CHECKED}));
  Click(kStartButton);
  EXPECT_EQ(checks(), std::pair(LRESULT{BST_CHECKED}, LRESULT{BST_UNCHECKED}));
  Click(kStopButton);
  EXPECT_EQ(checks(), std::pair(LRESULT{BST_UNCHECKED}, LRESULT{BST_CHECKED}));

  // Anchors after a resize of the client area to 359 x 325.
  RECT frame = {0, 0, 359, 325};
  AdjustWindowRectEx(&frame, GetWindowLongA(window, GWL_STYLE), FALSE,
                     GetWindowLongA(window, GWL_EXSTYLE));
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(PumpUntil(
      [&] {
        GetClientRect(window, &client);
        return client.right == 359 && client.bottom == 325 &&
               GeometryOf(list) == Geometry{0, 24, 358, 214};
      },
      kStart));
  EXPECT_EQ(GeometryOf(app_->Control(kRemainLabel)), (Geometry{138, 238, 217, 17}));
  EXPECT_EQ(GeometryOf(app_->Control(kGroupBox1)), (Geometry{2, 256, 354, 65}));
  EXPECT_EQ(GeometryOf(start), (Geometry{16, 32, 105, 22}));
  EXPECT_EQ(GeometryOf(stop), (Geometry{136, 32, 105, 22}));
  EXPECT_EQ(GeometryOf(converting).top, 16);

  // One run folder of 35 characters; it goes 1000 ms or more after the close, once the
  // builder has been told.
  const Names folders = app_->TmpFolders();
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(folders[0].size(), 35u);
  const ULONGLONG closed = GetTickCount64();
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return app_->TmpFolders().empty(); }, kExit));
  EXPECT_GE(GetTickCount64() - closed, 1000u);
  DWORD code = 1;
  ASSERT_TRUE(app_->WaitForExit(kExit, code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(standIn_->HasEvent("close"));
}

TEST_F(AppTest, DroppedFoldersAreConvertedIntoTheBooksTheCommandLineMakes) {
  const std::string root = src_.Path().string() + "\\";
  const std::string so = S("漫画ソ"), work = S("作品");
  for (const char* name : {"p-2.jpg", "p2.jpg", "p_1.jpg", "pa.jpg", "P3.jpg"})
    WritePage(root + "vol", name, 400, 560, name[1]);
  WritePage(root + "vol 2", "a.jpg", 800, 560, 3);  // a two-page spread
  WritePage(root + so, "1.jpg", 400, 560, 4);
  WritePage(root + work, "x.bmp", 400, 560, 5);
  // An archive with unflagged Shift-JIS names (a 0x5C trail byte among them) and a folder.
  const std::string cover = S("表紙ソ.jpg");
  WritePage(root + "raw", "1.jpg", 400, 560, 6);
  WritePage(root + "raw", "2.jpg", 800, 560, 7);
  testing::WriteUnflaggedZip(root + "cb.cbz", {{cover, FileText(root + "raw\\1.jpg")},
                                               {"sub/2.jpg", FileText(root + "raw\\2.jpg")}});
  ASSERT_NO_FATAL_FAILURE(Start());
  Drop({root + "vol", root + "vol 2"}, true);
  Drop({root + so, root + work + "\\x.bmp", root + "cb.cbz"}, false);
  ASSERT_TRUE(WaitForQueue(10, kStart));
  const Names expected = {"cb.cbz\\sub\\2.jpg",  "cb.cbz\\" + cover,   root + "vol 2\\a.jpg",
                          root + "vol\\p-2.jpg", root + "vol\\p2.jpg", root + "vol\\P3.jpg",
                          root + "vol\\p_1.jpg", root + "vol\\pa.jpg", root + work + "\\x.bmp",
                          root + so + "\\1.jpg"};
  EXPECT_EQ(app_->ListItems(), expected);

  // The screen: one text row of 12 pixels per item, nothing below.
  const HWND list = app_->Control(kFileList);
  const auto capture = CaptureClient(list, "", kStart);
  ASSERT_TRUE(capture.has_value());
  CaptureClient(app_->Window(), AppExecutable() + "\\..\\..\\tests\\e2e\\app_window.bmp", kStart);
  const uint32_t background = capture->At(capture->width - 1, capture->height - 1);
  for (int row = 0; row * 12 < capture->height; ++row) {
    bool text = false, uniform = true;
    for (int y = row * 12; y < std::min(row * 12 + 12, capture->height); ++y) {
      for (int x = 0; x < capture->width; ++x) {
        text = text || capture->At(x, y) == 0;
        uniform = uniform && capture->At(x, y) == background;
      }
    }
    if (row < 10)
      EXPECT_TRUE(text) << "row " << row << " shows no text";
    else
      EXPECT_TRUE(uniform) << "row " << row << " is not empty";
  }

  Click(kStartButton);
  ASSERT_TRUE(standIn_->WaitForEvent("book 5", kBook)) << standIn_->Trace();
  ASSERT_TRUE(WaitForQueue(0, kStart));
  EXPECT_TRUE(PumpUntil([&] { return fs::is_empty(WorkFolder()); }, kStart))
      << "page files left in the work folder";

  const std::vector<std::string> inputs = {root + "vol", root + "vol 2", root + so,
                                           root + work + "\\x.bmp", root + "cb.cbz"};
  const auto convert = [&](const std::string& out, const char* jobs) {
    std::vector<std::string> args = {"convert", "--quiet", "--jobs", jobs, "-o", out};
    args.insert(args.end(), inputs.begin(), inputs.end());
    return Cli(args);
  };
  const std::string out = root + "cli";
  ASSERT_EQ(RunProgram(convert(out, "1"), kBook), 0) << convert(out, "1");
  // Four jobs make the same book folders, byte for byte, book.txt included.
  const std::string out4 = root + "cli4";
  ASSERT_EQ(RunProgram(convert(out4, "4"), kBook), 0) << convert(out4, "4");
  ASSERT_EQ(Entries(out4).size(), Entries(out).size());
  for (const WIN32_FIND_DATAA& entry : Entries(out)) {
    EXPECT_TRUE(FilesIn(out + "\\" + entry.cFileName) == FilesIn(out4 + "\\" + entry.cFileName))
        << entry.cFileName << " differs with four jobs";
  }
  std::vector<std::map<std::string, std::string>> cliBooks, builderBooks;
  for (const WIN32_FIND_DATAA& entry : Entries(out))
    cliBooks.push_back(BookPages(out + "\\" + entry.cFileName));
  for (int book = 1; book <= 5; ++book)
    builderBooks.push_back(BookPages(standIn_->BookFolder(book)));
  std::sort(cliBooks.begin(), cliBooks.end());
  std::sort(builderBooks.begin(), builderBooks.end());
  ASSERT_EQ(builderBooks.size(), cliBooks.size());
  for (size_t i = 0; i < cliBooks.size(); ++i) {
    std::string names;
    for (const auto& [name, bytes] : builderBooks[i])
      names += name + " ";
    EXPECT_TRUE(builderBooks[i] == cliBooks[i]) << "the book of " << names << "differs";
  }
  // The archive's pages carry its entries' names: ソ's trail byte is no separator.
  const auto archivePages = BookPages(standIn_->BookFolder(1));
  EXPECT_TRUE(std::any_of(archivePages.begin(), archivePages.end(), [&](const auto& page) {
    return page.first.ends_with(S("表紙ソ.bmp"));
  })) << archivePages.begin()->first;
  // Titles and author as typed, in queue order; the last title ends in ソ (0x83 0x5C).
  const char* titles[] = {"6362", "766f6c2032", "766f6c", "8dec9569", "969f89e6835c"};
  for (int book = 1; book <= 5; ++book) {
    EXPECT_NE(standIn_->BookText(book).find(std::string("title-hex: ") + titles[book - 1] +
                                            "\nauthor: Tamsolo\n"),
              std::string::npos)
        << standIn_->BookText(book);
  }
  CloseAndCheck(kExit);
}

TEST_F(AppTest, HoldConvertAndASecondDropWhileConverting) {
  const std::string root = src_.Path().string() + "\\";
  // The slow file sorts first.
  CreateDirectoryA((root + "0slow").c_str(), nullptr);
  const std::string slow = root + "0slow\\big.jpg";
  ASSERT_TRUE(CopyFileA(SlowJpeg().c_str(), slow.c_str(), FALSE));
  WritePage(root + "a", "1.jpg", 400, 560, 1);
  WritePage(root + "a", "2.jpg", 400, 560, 2);
  WritePage(root + "b", "3.jpg", 400, 560, 3);
  const std::string slowItem = "0slow\\big.jpg";
  const auto count = [&] { return Send(app_->Control(kFileList), LB_GETCOUNT); };
  bool heldDuringJob = false;
  for (int attempt = 1; attempt <= kAttempts && !heldDuringJob; ++attempt) {
    if (attempt > 1) {
      ASSERT_NO_FATAL_FAILURE(CloseAndCheck(kExit));
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    Drop({slow, root + "a\\2.jpg"}, true);
    ASSERT_TRUE(WaitForQueue(2, kStart));
    // Holding: three ticks pass and nothing is taken.
    EXPECT_FALSE(PumpUntil([&] { return count() != 2; }, 1600));
    // Convert: the slow file leaves the queue and its job runs; a drop then joins the queue in
    // order, and a hold lets no other file leave it.
    Click(kStartButton);
    if (WaitForQueue(1, kStart)) {
      Drop({root + "b", root + "a\\1.jpg"}, false);
      heldDuringJob = WaitForQueue(3, kStart) && HoldDuringJob(slowItem);
    }
  }
  ASSERT_TRUE(heldDuringJob) << "the slow file's job ended before the hold in every attempt";
  EXPECT_EQ(app_->ListItems(), (Names{root + "a\\1.jpg", root + "a\\2.jpg", root + "b\\3.jpg"}));
  ASSERT_TRUE(
      PumpUntil([&] { return TextOf(app_->Control(kConvertingFileLabel)).empty(); }, kBook));
  EXPECT_FALSE(PumpUntil([&] { return count() != 3; }, 1100));
  EXPECT_FALSE(standIn_->HasEvent("clear"));

  // Convert again: the held book goes on with the queue.
  Click(kStartButton);
  ASSERT_TRUE(standIn_->WaitForEvent("book 3", kBook)) << standIn_->Trace();
  EXPECT_NE(standIn_->BookText(1).find("title: 0slow\n"), std::string::npos);
  EXPECT_NE(standIn_->BookText(2).find("page: 1.bmp\npage: 2.bmp\n"), std::string::npos)
      << standIn_->BookText(2);
  EXPECT_NE(standIn_->BookText(3).find("title: b\n"), std::string::npos);
  CloseAndCheck(kExit);
}

TEST_F(AppTest, ADropAndACloseDuringABuildWaitForIt) {
  const std::string root = src_.Path().string() + "\\";
  WritePage(root + "a", "1.jpg", 400, 560, 1);
  WritePage(root + "b", "2.jpg", 400, 560, 2);
  ASSERT_NO_FATAL_FAILURE(Start({"--dialog-delay", "500"}));
  Click(kStartButton);
  Drop({root + "a"}, true);
  ASSERT_TRUE(standIn_->WaitForEvent("clear", kBook));
  Drop({root + "b"}, false);
  PostMessageA(app_->Window(), WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(app_->WaitForExit(kExit, code)) << app_->Unexpected();
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(standIn_->HasEvent("book 1")) << standIn_->Trace();
  EXPECT_NE(standIn_->BookText(1).find("page: 1.bmp\n"), std::string::npos);
  EXPECT_EQ(app_->TmpFolders(), Names{});
}

TEST_F(AppTest, TheHandOverIsNotPolled) {
  const std::string root = src_.Path().string() + "\\";
  std::vector<std::string> pagesArgs = {"pages", "-o", root + "out"};
  for (int i = 1; i <= 20; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d.jpg", i);
    WritePage(root + "v", name, 400, 560, i);
    pagesArgs.push_back(root + "v\\" + name);
  }
  const ULONGLONG cliStart = GetTickCount64();
  ASSERT_EQ(RunProgram(Cli(pagesArgs), kBook), 0);
  const ULONGLONG cliTime = GetTickCount64() - cliStart;
  ASSERT_NO_FATAL_FAILURE(Start());
  Drop({root + "v"}, true);
  ASSERT_TRUE(WaitForQueue(20, kStart));
  const ULONGLONG clicked = GetTickCount64();
  Click(kStartButton);
  ASSERT_TRUE(standIn_->WaitForEvent("open-shown", kBook));
  const ULONGLONG appTime = GetTickCount64() - clicked;
  // A hand-over polled by the 500 ms tick would give each of the 20 files a tick of its own:
  // 10 s at least, however fast the machine. Where the command line itself is that slow (a
  // busy machine), its time bounds the window's instead.
  EXPECT_LT(appTime, std::max<ULONGLONG>(cliTime * 3 / 2 + 500, 20 * 500))
      << "the command line took " << cliTime << " ms";
  ASSERT_TRUE(standIn_->WaitForEvent("book 1", kBook));
  ASSERT_TRUE(standIn_->CloseAndWait(kExit));
  // Without the builder the program ends at once.
  const ULONGLONG closed = GetTickCount64();
  CloseAndCheck(kExit);
  EXPECT_LT(GetTickCount64() - closed, 3000u);
}

TEST_F(AppTest, StartUpRefusesWithoutTheBuildersScreen) {
  for (const bool hidden : {false, true}) {
    SCOPED_TRACE(hidden ? "add button hidden" : "no builder");
    std::optional<StandIn> standIn;
    if (hidden) {
      standIn.emplace(std::vector<std::string>{"--hide-add"});
      ASSERT_EQ(standIn->StartError(), "");
    }
    AppRun app;
    ASSERT_TRUE(app.Started()) << app.StartError();
    const HWND box = app.WaitForBox(kStart);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(app.TopLevel("TTamsoloForm").empty()) << "the main window must never show";
    const BoxContent content = ReadBox(box);
    EXPECT_EQ(content.caption, S("エラー"));
    EXPECT_EQ(content.text, S("LumoraBuilderを起動し、「オリジナル書籍」「イメージデータ」を開いて"
                              "から実行してください"));
    EXPECT_FALSE(content.hasIcon);
    EXPECT_EQ(app.TmpFolders(), Names{});
    AnswerBox(box);
    DWORD code = 1;
    ASSERT_TRUE(app.WaitForExit(kExit, code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(app.TmpFolders(), Names{});
  }
}

TEST_F(AppTest, AMissingTempFolderIsReportedAndDropsAreRefused) {
  testing::TempFolder parent;
  const std::string missing = parent.File("missing");
  ASSERT_NO_FATAL_FAILURE(Start({}, {std::string("[Config]\r\n"), missing, ""}, false));
  // The box comes before the window shows.
  const HWND box = app_->WaitForBox(kStart);
  ASSERT_NE(box, nullptr);
  BoxContent content = ReadBox(box);
  EXPECT_EQ(content.caption, S("Lumora漫画コンバータ"));
  EXPECT_EQ(content.text, S("ファイル名の指定が間違っています."));
  EXPECT_TRUE(content.hasIcon);
  AnswerBox(box);
  ASSERT_NE(app_->WaitForWindow(kStart), nullptr);
  EXPECT_EQ(GetWindowLongA(app_->Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  // Shut-down still tries to remove the folder and reports that too.
  PostMessageA(app_->Window(), WM_CLOSE, 0, 0);
  const HWND last = app_->WaitForBox(kExit);
  ASSERT_NE(last, nullptr);
  content = ReadBox(last);
  EXPECT_EQ(content.caption, S("Lumora漫画コンバータ"));
  AnswerBox(last);
  DWORD code = 1;
  ASSERT_TRUE(app_->WaitForExit(kExit, code));
  EXPECT_EQ(code, 0u);
}

TEST_F(AppTest, ClosingWhileAJobRunsOrABookIsOpenOrAWatcherWaits) {
  const std::string root = src_.Path().string() + "\\";
  WritePage(root + "a", "1.jpg", 400, 560, 1);
  const std::string slowItem = "slow\\big.jpg";
  {
    SCOPED_TRACE("during a slow file");
    // The close must land while the job runs; when the job ended first the book is made, and
    // the scenario runs again. A close that itself makes the book fails every attempt.
    bool closedDuringJob = false;
    for (int attempt = 1; attempt <= kAttempts && !closedDuringJob; ++attempt) {
      ASSERT_NO_FATAL_FAILURE(Start());
      Drop({SlowJpeg()}, true);
      ASSERT_TRUE(WaitForQueue(1, kStart));
      Click(kStartButton);
      ASSERT_TRUE(WaitForQueue(0, kStart));
      const bool running = TextOf(app_->Control(kConvertingFileLabel)) == slowItem;
      CloseAndCheck(kExit);
      closedDuringJob = running && !standIn_->HasEvent("clear");
    }
    EXPECT_TRUE(closedDuringJob) << "a book was made in every attempt: " << standIn_->Trace();
  }
  {
    SCOPED_TRACE("holding with an open book");
    // The hold keeps the book open only when it lands while the job runs: a job that ended
    // first closes the book at once, and the scenario runs again.
    bool heldDuringJob = false;
    for (int attempt = 1; attempt <= kAttempts && !heldDuringJob; ++attempt) {
      if (attempt > 1) {
        ASSERT_NO_FATAL_FAILURE(CloseAndCheck(kExit));
      }
      ASSERT_NO_FATAL_FAILURE(Start());
      Drop({SlowJpeg()}, true);
      ASSERT_TRUE(WaitForQueue(1, kStart));
      Click(kStartButton);
      ASSERT_TRUE(WaitForQueue(0, kStart));
      heldDuringJob = HoldDuringJob(slowItem);
    }
    ASSERT_TRUE(heldDuringJob) << "the job ended before the hold in every attempt";
    // The page is written and waits for the next file that never comes.
    ASSERT_TRUE(
        PumpUntil([&] { return !WorkFolder().empty() && !fs::is_empty(WorkFolder()); }, kBook));
    ASSERT_TRUE(
        PumpUntil([&] { return TextOf(app_->Control(kConvertingFileLabel)).empty(); }, kBook));
    CloseAndCheck(kExit);
    EXPECT_FALSE(standIn_->HasEvent("clear"));
    EXPECT_TRUE(standIn_->HasEvent("close"));
  }
  {
    SCOPED_TRACE("the completion watcher polls for ever");
    ASSERT_NO_FATAL_FAILURE(Start({"--no-completion"}));
    Drop({root + "a"}, true);
    Click(kStartButton);
    ASSERT_TRUE(standIn_->WaitForEvent("book 1", kBook));
    ASSERT_TRUE(WaitForQueue(0, kStart));
    CloseAndCheck(kExit);
  }
}

// Archives=0 leaves .webp files out of a drop, as before WebP was read; otherwise, and with
// no key, they are converted.
TEST_F(AppTest, ArchivesZeroLeavesWebpFilesOut) {
  const std::string root = src_.Path().string() + "\\";
  WritePage(root + "w", "a.jpg", 300, 420, 1);
  WritePage(root + "w", "b.WebP", 300, 420, 2);
  for (const char* value : {"0", "1", ""}) {
    SCOPED_TRACE(std::string("Archives=") + value);
    ASSERT_NO_FATAL_FAILURE(
        Start({}, {"[Config]\r\nArchives=" + std::string(value) + "\r\n", "", ""}));
    Drop({root + "w"}, true);
    Click(kStartButton);
    ASSERT_TRUE(standIn_->WaitForEvent("book 1", kBook));
    const auto pages = BookPages(standIn_->BookFolder(1));
    EXPECT_EQ(pages.size(), std::string(value) == "0" ? 1u : 2u);
    ASSERT_TRUE(standIn_->CloseAndWait(kExit));
    CloseAndCheck(kExit);
  }
}

// Clean=1 cleans each scan up before scaling as pages --clean does.
TEST_F(AppTest, CleanOneGivesThePagesOfPagesClean) {
  const std::string root = src_.Path().string() + "\\";
  testing::WriteDegradedScans(root + "c", 1);
  ASSERT_EQ(
      RunProgram(Cli({"pages", "--clean", "-o", root + "out", root + "c\\scan01.jpg"}), kBook), 0);
  ASSERT_NO_FATAL_FAILURE(Start({}, {"[Config]\r\nClean=1\r\n", "", ""}));
  Drop({root + "c"}, true);
  Click(kStartButton);
  ASSERT_TRUE(standIn_->WaitForEvent("book 1", kBook));
  EXPECT_TRUE(FileText(standIn_->BookFolder(1) + "\\0001_scan01.bmp") ==
              FileText(root + "out\\scan01.bmp"));
  ASSERT_TRUE(standIn_->CloseAndWait(kExit));
  CloseAndCheck(kExit);
}

// The settings value decides the filter: the pages equal those the command line writes
// with the filter it names.
TEST_F(AppTest, TheSettingsFileChoosesTheFilter) {
  const std::string root = src_.Path().string() + "\\";
  WritePage(root + "f", "s.jpg", 300, 420, 7);
  std::vector<std::string> pageByFilter;
  for (int filter = 0; filter <= 6; ++filter) {
    const std::string out = root + "filter" + std::to_string(filter);
    ASSERT_EQ(
        RunProgram(Cli({"pages", "--filter", std::to_string(filter), "-o", out, root + "f\\s.jpg"}),
                   kBook),
        0);
    pageByFilter.push_back(FileText(out + "\\s.bmp"));
    ASSERT_GT(pageByFilter.back().size(), 1000u);
  }
  for (int a = 0; a < 7; ++a)
    for (int b = a + 1; b < 7; ++b)
      ASSERT_FALSE(pageByFilter[a] == pageByFilter[b]) << "filters " << a << " and " << b;

  const struct {
    std::optional<std::string> value;  // none: no settings file
    int filter;
  } cases[] = {{"3", 3},  {"0", 0},   {"6", 6},   {"7", 5},          {"-1", 5},
               {"", 5},   {"abc", 5}, {"0x6", 6}, {"0X6", 6},        {"$2", 2},
               {"03", 3}, {" 3", 3},  {"+3", 3},  {"4294967299", 5}, {std::nullopt, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE("ResampleFilter=" + c.value.value_or("(no file)"));
    std::optional<std::string> ini;
    if (c.value)
      ini = "; test\r\n[Config]\r\nResampleFilter=" + *c.value + "\r\n";
    ASSERT_NO_FATAL_FAILURE(Start({}, {ini, "", ""}));
    Drop({root + "f"}, true);
    Click(kStartButton);
    ASSERT_TRUE(standIn_->WaitForEvent("book 1", kBook));
    EXPECT_TRUE(FileText(standIn_->BookFolder(1) + "\\0001_s.bmp") == pageByFilter[c.filter]);
    // The builder goes first, so the program ends without the pause.
    ASSERT_TRUE(standIn_->CloseAndWait(kExit));
    CloseAndCheck(kExit);
  }

  // The packaged program with its sample settings file uses the default filter.
  const std::string packaged = FileText(PackageFolder() + "\\Tamsolo.ini");
  ASSERT_NE(packaged.find(";ResampleFilter=5"), std::string::npos) << "no package was made";
  EXPECT_NE(packaged.find(";Archives=1"), std::string::npos);
  EXPECT_NE(packaged.find(";Clean=0"), std::string::npos);
  ASSERT_NO_FATAL_FAILURE(Start({}, {packaged, "", PackageFolder() + "\\Tamsolo.exe"}));
  Drop({root + "f"}, true);
  Click(kStartButton);
  ASSERT_TRUE(standIn_->WaitForEvent("book 1", kBook));
  EXPECT_TRUE(FileText(standIn_->BookFolder(1) + "\\0001_s.bmp") == pageByFilter[5]);
  ASSERT_TRUE(standIn_->CloseAndWait(kExit));
  CloseAndCheck(kExit);
}

}  // namespace
}  // namespace tamsolo::e2e
