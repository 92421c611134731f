#include "builder/window_search_win.h"

namespace tamsolo {
namespace {

std::string WindowText(HWND window) {
  char buffer[kWindowTextBufferSize] = {};
  GetWindowTextA(window, buffer, kWindowTextBufferSize);
  return std::string(buffer);
}

}  // namespace

HWND FindChildByText(HWND root, HWND& parentOut, const std::string& text) {
  HWND child = nullptr;
  while ((child = FindWindowExA(root, child, nullptr, nullptr)) != nullptr) {
    if (WindowText(child) == text) {
      parentOut = root;
      return child;
    }
    if (HWND found = FindChildByText(child, parentOut, text))
      return found;
  }
  return nullptr;
}

void TypeText(HWND window, const std::string& text) {
  if (window == nullptr)
    return;
  for (const char byte : text)
    SendMessageA(window, WM_CHAR, static_cast<unsigned char>(byte), 0);
}

void ClickButton(HWND window) {
  if (window == nullptr)
    return;
  SendMessageA(window, WM_LBUTTONUP, 0, 0);
  SendMessageA(window, BM_CLICK, 0, 0);
}

}  // namespace tamsolo
