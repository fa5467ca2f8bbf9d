#include "ui/controls/control.h"

#include "platform/win32/text.h"

namespace quillow::ui {

std::string WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return platform::Narrow(text);
}

std::string Control::Text() const { return WindowText(hwnd_); }

void Control::SetText(const std::string& text) {
  SetWindowTextW(hwnd_, platform::Widen(text).c_str());
}

void Control::Move(int x, int y, int width, int height) {
  MoveWindow(hwnd_, x, y, width, height, TRUE);
}

void Control::SetFont(HFONT font) {
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Control::CreateChild(const wchar_t* windowClass, const std::string& text, DWORD style,
                          DWORD exStyle, HWND parent, int id) {
  hwnd_ = CreateWindowExW(exStyle, windowClass, platform::Widen(text).c_str(),
                          style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
}

}  // namespace quillow::ui
