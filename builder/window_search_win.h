#pragma once

#include <windows.h>

#include <string>

namespace tamsolo {

// GetWindowText's buffer: window texts are compared on at most 1023 bytes.
inline constexpr int kWindowTextBufferSize = 1024;

// Depth-first, pre-order search below root (null: the desktop, i.e. every top-level window)
// for a window whose text equals text byte for byte. Siblings come front to back; the root
// itself is never compared. On success parentOut receives the found window's immediate parent
// (null for a top-level window); on failure it is left as it was.
HWND FindChildByText(HWND root, HWND& parentOut, const std::string& text);

// Sends every byte of text as one WM_CHAR, first to last; a double-byte character goes as
// lead byte then trail byte. Nothing else is sent, so the text lands at the caret.
void TypeText(HWND window, const std::string& text);

// WM_LBUTTONUP then BM_CLICK. Returns only when the button's owner has handled the click,
// including any modal dialog the click opens.
void ClickButton(HWND window);

}  // namespace tamsolo
