#include "app/form_controls_win.h"

#include <cstring>

#include "app/window_texts.h"
#include "platform/error.h"
#include "platform/last_error_win.h"
#include "platform/system_text.h"

namespace tamsolo {
namespace {

enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

struct Placement {
  int left, top, width, height;
  unsigned anchors;
};

constexpr Placement kLabel1 = {0, 8, 194, 12, kLeft | kTop};
constexpr Placement kFileList = {0, 24, 258, 114, kLeft | kTop | kRight | kBottom};
constexpr Placement kRemainLabel = {38, 138, 217, 17, kRight | kBottom};
constexpr Placement kGroupBox1 = {2, 156, 254, 65, kLeft | kRight | kBottom};
constexpr Placement kConvertingFileLabel = {8, 16, 0, 12, kLeft | kTop};
constexpr Placement kStartButton = {16, 32, 105, 22, kLeft | kTop};
constexpr Placement kStopButton = {136, 32, 105, 22, kLeft | kTop};

// "ＭＳ Ｐゴシック" in Shift-JIS, whatever the code page the program runs under.
constexpr char kFontFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";

HWND MakeControl(HWND parent, const char* className, const std::string& text, DWORD style,
                 DWORD exStyle, const Placement& at, int id, HFONT font) {
  HWND control = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                 at.left, at.top, at.width, at.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (control == nullptr) {
    const DWORD code = GetLastError();
    ThrowSystemError("Cannot create control " + std::to_string(id), code);
  }
  // Children do not take their parent's font.
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// The group box passes its children's colour questions to the form and paints its own
// background, so that the transparent label inside it leaves no old text behind.
LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return SendMessageA(GetParent(window), message, wParam, lParam);
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return TRUE;
    }
    default:
      return CallWindowProcA(original, window, message, wParam, lParam);
  }
}

void Place(HWND control, const Placement& designed, int dx, int dy) {
  int left = designed.left, top = designed.top;
  int width = designed.width, height = designed.height;
  if (designed.anchors & kRight) {
    if (designed.anchors & kLeft)
      width += dx;
    else
      left += dx;
  }
  if (designed.anchors & kBottom) {
    if (designed.anchors & kTop)
      height += dy;
    else
      top += dy;
  }
  SetWindowPos(control, nullptr, left, top, width < 0 ? 0 : width, height < 0 ? 0 : height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

FormFont::FormFont() {
  LOGFONTA logFont = {};
  logFont.lfHeight = -12;
  logFont.lfWeight = FW_NORMAL;
  logFont.lfCharSet = SHIFTJIS_CHARSET;
  logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logFont.lfQuality = DEFAULT_QUALITY;
  logFont.lfPitchAndFamily = DEFAULT_PITCH;
  static_assert(sizeof kFontFace <= LF_FACESIZE);
  memcpy(logFont.lfFaceName, kFontFace, sizeof kFontFace);
  font_.Reset(CreateFontIndirectA(&logFont));
  if (!font_.Valid())
    throw Error("Cannot create the window's font");
}

void FormControls::Create(HWND form, HFONT font) {
  Label1 = MakeControl(form, "Static", SystemText("フォルダかファイルをドラッグ＆ドロップ"),
                       SS_LEFT | SS_NOPREFIX, 0, kLabel1, kLabel1Id, font);
  // Sorted style as designed, but items are only ever inserted at the queue's own index
  // (LB_INSERTSTRING never sorts), so the list shows the queue's order and no other.
  FileList = MakeControl(form, "ListBox", "",
                         WS_TABSTOP | WS_VSCROLL | LBS_SORT | LBS_HASSTRINGS | LBS_OWNERDRAWFIXED |
                             LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                         WS_EX_CLIENTEDGE, kFileList, kFileListId, font);
  RemainLabel =
      MakeControl(form, "Static", RemainCaption(0), SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX, 0,
                  kRemainLabel, kRemainLabelId, font);
  GroupBox1 = MakeControl(form, "Button", SystemText("処理中"), WS_TABSTOP | BS_GROUPBOX, 0,
                          kGroupBox1, kGroupBox1Id, font);
  SetWindowLongPtrA(GroupBox1, GWLP_USERDATA, GetWindowLongPtrA(GroupBox1, GWLP_WNDPROC));
  SetWindowLongPtrA(GroupBox1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GroupBoxProc));
  // WS_GROUP on the label ends the buttons' group before it when the search wraps round.
  ConvertingFileLabel = MakeControl(GroupBox1, "Static", "", SS_LEFT | SS_NOPREFIX | WS_GROUP, 0,
                                    kConvertingFileLabel, kConvertingFileLabelId, font);
  StartButton = MakeControl(GroupBox1, "Button", SystemText("変換する"),
                            WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON | BS_PUSHLIKE, 0,
                            kStartButton, kStartButtonId, font);
  StopButton = MakeControl(GroupBox1, "Button", SystemText("変換するの待つ"),
                           BS_AUTORADIOBUTTON | BS_PUSHLIKE, 0, kStopButton, kStopButtonId, font);
  SendMessageA(StopButton, BM_SETCHECK, BST_CHECKED, 0);  // the program starts holding
}

void FormControls::Arrange(int clientWidth, int clientHeight) const {
  const int dx = clientWidth - kDesignedClientWidth;
  const int dy = clientHeight - kDesignedClientHeight;
  Place(Label1, kLabel1, dx, dy);
  Place(FileList, kFileList, dx, dy);
  Place(RemainLabel, kRemainLabel, dx, dy);
  Place(GroupBox1, kGroupBox1, dx, dy);
}

void FormControls::SetConvertingFile(const std::string& text, HFONT font) const {
  SetWindowTextA(ConvertingFileLabel, text.c_str());
  SIZE size = {};
  const WindowDc dc(ConvertingFileLabel);
  if (dc.Get() != nullptr) {
    const SelectedObject selected(dc.Get(), font);
    GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  }
  SetWindowPos(ConvertingFileLabel, nullptr, 0, 0, size.cx, kConvertingFileLabel.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(ConvertingFileLabel, nullptr, TRUE);
}

}  // namespace tamsolo
