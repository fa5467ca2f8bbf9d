#include "app/print_progress.h"

#include <string>

#include "output/print_layout.h"
#include "platform/win32/text.h"

namespace quillow::app {

namespace {

// Designed sizes, in pixels at 96 dots per inch.
constexpr int kWidth = 300, kHeight = 120;

void RegisterProgressClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = PrintProgress::kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

PrintProgress::PrintProgress(HWND owner, int dpi, HFONT font) : owner_(owner) {
  RegisterProgressClass(WndProc);
  auto scale = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  RECT at{};
  GetWindowRect(owner, &at);
  const int width = scale(kWidth), height = scale(kHeight);
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, L"Printing",
                          WS_POPUP | WS_CAPTION | WS_SYSMENU, (at.left + at.right - width) / 2,
                          (at.top + at.bottom - height) / 2, width, height, owner, nullptr,
                          GetModuleHandleW(nullptr), this);
  if (!hwnd_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  text_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, scale(10),
                          scale(12), client.right - scale(20), scale(32), hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), nullptr, nullptr);
  HWND cancel = CreateWindowExW(
      0, L"BUTTON", L"Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
      (client.right - scale(75)) / 2, client.bottom - scale(35), scale(75), scale(23), hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), nullptr, nullptr);
  for (HWND control : {text_, cancel}) SendMessageW(control, WM_SETFONT, WPARAM(font), FALSE);
  // Only Cancel answers while the job runs.
  EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(cancel);
}

PrintProgress::~PrintProgress() {
  // The owner first, so that it takes the activation back.
  EnableWindow(owner_, TRUE);
  if (hwnd_) DestroyWindow(hwnd_);
}

bool PrintProgress::Page(size_t page, size_t pages) {
  if (!hwnd_) return true;
  const std::string text = "Printing page " + std::to_string(page) + " of " +
                           std::to_string(pages) + " of\n\"" + output::kPrintJobName + "\"";
  SetWindowTextW(text_, platform::Widen(text).c_str());
  UpdateWindow(hwnd_);
  MSG msg;
  while (!cancelled_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the message loop, afterwards
      break;
    }
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return !cancelled_;
}

LRESULT CALLBACK PrintProgress::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<PrintProgress*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && ((msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) || msg == WM_CLOSE)) {
    self->cancelled_ = true;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace quillow::app
