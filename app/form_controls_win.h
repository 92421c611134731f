#pragma once

#include <windows.h>

#include <string>

#include "platform/win32_handle_win.h"

namespace tamsolo {

// The main window's designed client size; the controls' anchors keep their distances to it.
inline constexpr int kDesignedClientWidth = 259;
inline constexpr int kDesignedClientHeight = 225;
inline constexpr int kFileListItemHeight = 12;

enum ControlId : int {
  kLabel1Id = 100,
  kFileListId,
  kRemainLabelId,
  kGroupBox1Id,
  kConvertingFileLabelId,
  kStartButtonId,
  kStopButtonId,
};

// The form's font: "ＭＳ Ｐゴシック", Shift-JIS, 12 pixels high. Owns the handle.
class FormFont {
 public:
  FormFont();
  HFONT Handle() const { return font_.Get(); }

 private:
  FontHandle font_;
};

// The controls of the main window, created in the designed places with the form's font. The
// windows belong to the parent and go with it.
struct FormControls {
  HWND Label1 = nullptr;
  HWND FileList = nullptr;
  HWND RemainLabel = nullptr;
  HWND GroupBox1 = nullptr;
  HWND ConvertingFileLabel = nullptr;
  HWND StartButton = nullptr;
  HWND StopButton = nullptr;

  // Throws when a control cannot be made. Messages for the group box's children (their
  // colours) are passed on to form.
  void Create(HWND form, HFONT font);
  // Applies the anchors for a client area of the given size.
  void Arrange(int clientWidth, int clientHeight) const;
  // Sets the label's text and sizes it to the text, as an auto-sized label.
  void SetConvertingFile(const std::string& text, HFONT font) const;
};

}  // namespace tamsolo
