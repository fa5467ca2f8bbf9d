// Thin wrappers over Win32 controls: each turns SendMessage into typed calls and owns
// nothing but the window it created (the parent destroys child windows).
#pragma once

#include <windows.h>

#include <string>

namespace quillow::ui {

class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND Handle() const { return hwnd_; }
  int Id() const { return GetDlgCtrlID(hwnd_); }

  // Wraps a child window that exists already (a control inside a system dialog) instead of
  // making one; it stays its parent's, as a created one does. False when there is none.
  bool Attach(HWND control) {
    hwnd_ = control;
    return hwnd_ != nullptr;
  }
  bool Attach(HWND parent, int id) { return Attach(GetDlgItem(parent, id)); }

  void Enable(bool on) { EnableWindow(hwnd_, on ? TRUE : FALSE); }
  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  std::string Text() const;
  void SetText(const std::string& text);
  void Move(int x, int y, int width, int height);
  void SetFont(HFONT font);
  void Show(bool on) { ShowWindow(hwnd_, on ? SW_SHOW : SW_HIDE); }

 protected:
  // A visible child window of `parent` with the given identifier.
  void CreateChild(const wchar_t* windowClass, const std::string& text, DWORD style, DWORD exStyle,
                   HWND parent, int id);

  HWND hwnd_ = nullptr;
};

// Text of any window, as UTF-8.
std::string WindowText(HWND hwnd);

}  // namespace quillow::ui
