#include "dialogs/dialog_form.h"

#include <cstdint>
#include <vector>

#include "platform/win32/text.h"

namespace quillow::dialogs {

namespace {

// An empty dialog template: the controls are made in code, in pixels, so that every form
// of the program is laid out the same way.
std::vector<WORD> EmptyTemplate(DWORD style, DWORD exStyle) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
  t->style = style;
  t->dwExtendedStyle = exStyle;
  // cdit, x, y, cx, cy stay 0; the three words after the header are the empty menu, class
  // and title.
  return words;
}

}  // namespace

int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi && hwnd) {
    const UINT dpi = getDpi(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

HFONT CreateFormFont(int dpi) {
  return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

DialogForm::DialogForm(FormLayout layout) : layout_(std::move(layout)) {}

DialogForm::~DialogForm() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (font_) DeleteObject(font_);
}

bool DialogForm::Create(HWND owner) {
  owner_ = owner;
  DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_CLIPCHILDREN;
  if (layout_.titleButtons) style |= WS_SYSMENU;
  DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  if (layout_.toolWindow) exStyle |= WS_EX_TOOLWINDOW;
  std::vector<WORD> tmpl = EmptyTemplate(style, exStyle);
  hwnd_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                     reinterpret_cast<DLGTEMPLATE*>(tmpl.data()), owner,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

int DialogForm::Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }

void DialogForm::PlaceWindow() {
  RECT r{0, 0, Scale(layout_.clientWidth), Scale(layout_.clientHeight)};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  const int width = r.right - r.left, height = r.bottom - r.top;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (!layout_.centreOnScreen && owner_) GetWindowRect(owner_, &area);
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int DialogForm::ShowModal() {
  if (!hwnd_ || showing_) return 0;
  modalResult_ = 0;
  showing_ = true;
  PlaceWindow();
  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  MSG msg;
  bool quit = false;
  while (modalResult_ == 0) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = true;
      break;
    }
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // The owner is enabled before the form hides, so that it, not another program, becomes
  // the active window.
  if (owner_) EnableWindow(owner_, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
  if (owner_) SetActiveWindow(owner_);
  showing_ = false;
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return modalResult_;
}

void DialogForm::Close(int result) {
  modalResult_ = result != 0 ? result : IDCANCEL;
  // Wakes the modal loop even when the close came from outside any message.
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

INT_PTR CALLBACK DialogForm::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DialogForm* form;
  if (msg == WM_INITDIALOG) {
    form = reinterpret_cast<DialogForm*>(lp);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
  } else {
    form = reinterpret_cast<DialogForm*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  return form ? form->HandleMessage(msg, wp, lp) : FALSE;
}

INT_PTR DialogForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      dpi_ = WindowDpi(hwnd_);
      font_ = CreateFormFont(dpi_);
      SetWindowTextW(hwnd_, platform::Widen(layout_.caption).c_str());
      PlaceWindow();
      OnInit();
      return TRUE;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp))) return TRUE;
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        Close(LOWORD(wp));
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp)) ? TRUE : FALSE;
    case WM_CLOSE:
      Close(IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace quillow::dialogs
