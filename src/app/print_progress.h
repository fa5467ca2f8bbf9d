// The "Printing" window of a job of several pages: which page is being printed, and a
// Cancel button. The main window is disabled while it is up, as under a modal dialog.
#pragma once

#include <windows.h>

#include <cstddef>

namespace quillow::app {

class PrintProgress {
 public:
  static constexpr wchar_t kClassName[] = L"QuillowPrintProgress";
  static constexpr int kTextId = 100;

  PrintProgress(HWND owner, int dpi, HFONT font);
  ~PrintProgress();
  PrintProgress(const PrintProgress&) = delete;
  PrintProgress& operator=(const PrintProgress&) = delete;

  // Shows page `page` of `pages` and lets the window answer what is waiting (a click on
  // Cancel). False once the user has cancelled.
  bool Page(size_t page, size_t pages);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HWND owner_;
  HWND hwnd_ = nullptr;
  HWND text_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace quillow::app
