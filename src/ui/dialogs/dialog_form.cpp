#include "ui/dialogs/dialog_form.h"

#include <cstdint>
#include <exception>
#include <vector>

#include "platform/win32/text.h"
#include "ui/controls/dpi.h"

namespace quillow::ui {

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

BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

}  // namespace

DialogForm::DialogForm(FormLayout layout) : layout_(std::move(layout)) {}

DialogForm::~DialogForm() {
  if (!hwnd_) return;
  // The derived form is gone already: nothing of the destruction may reach it.
  SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
  DestroyWindow(hwnd_);
}

bool DialogForm::Create(HWND owner) {
  owner_ = owner;
  // No WS_CLIPCHILDREN: a group box paints only its frame, and the form must paint what lies
  // inside it.
  DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  if (layout_.titleButtons) style |= WS_SYSMENU;
  DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  if (layout_.toolWindow) exStyle |= WS_EX_TOOLWINDOW;
  std::vector<WORD> tmpl = EmptyTemplate(style, exStyle);
  hwnd_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                     reinterpret_cast<DLGTEMPLATE*>(tmpl.data()), owner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

int DialogForm::Scale(int pixels) const { return ScaleToDpi(pixels, dpi_); }

void DialogForm::PlaceControls(std::initializer_list<Place> places) const {
  for (const Place& place : places)
    place.control.Move(Scale(place.x), Scale(place.y), Scale(place.width), Scale(place.height));
}

int DialogForm::ShowMessage(const std::string& text, const std::string& title, UINT type) {
  if (messages_) return messages_->Show(hwnd_, text, title, type);
  return MessageBoxW(hwnd_, platform::Widen(text).c_str(), platform::Widen(title).c_str(), type);
}

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

void DialogForm::ApplyFont() {
  platform::UniqueFont font = CreateFormFont(dpi_);
  // Every control takes the new font before the old one is deleted.
  EnumChildWindows(hwnd_, SetFontOf, reinterpret_cast<LPARAM>(font.get()));
  font_ = std::move(font);
}

void DialogForm::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  ApplyFont();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  OnLayout();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int DialogForm::ShowModal() {
  if (!hwnd_ || showing_) return 0;
  modalResult_ = 0;
  showing_ = true;
  PlaceWindow();
  OnShow();
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
  return modalResult_ != 0 ? modalResult_ : IDCANCEL;
}

void DialogForm::Close(int result) {
  modalResult_ = result != 0 ? result : IDCANCEL;
  // Wakes the modal loop even when the close came from outside any message.
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void DialogForm::Accept() {
  if (OnOK()) Close(IDOK);
}

void DialogForm::Cancel() {
  OnCancel();
  Close(IDCANCEL);
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
  if (!form) return FALSE;
  // An exception never crosses the message loop: it is shown and the form goes on.
  const char* what = "Unexpected error.";
  std::string caught;
  try {
    return form->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    caught = e.what();
    what = caught.c_str();
  } catch (...) {
  }
  try {
    form->ShowMessage(what, "Quillow", MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxW(hwnd, L"Unexpected error.", L"Quillow", MB_OK | MB_ICONERROR);
  }
  return FALSE;
}

bool DialogForm::HandleCommand(int id, int code, HWND control) {
  if (OnCommand(id, code, control)) return true;
  // A button of the form with either identifier is clicked; without one, the command is the
  // dialog manager's Enter or Escape.
  if (id == IDOK && (control || layout_.enterAccepts)) {
    Accept();
    return true;
  }
  if (id == IDCANCEL && (control || layout_.escapeCancels)) {
    Cancel();
    return true;
  }
  return false;
}

INT_PTR DialogForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      dpi_ = WindowDpi(hwnd_);
      SetWindowTextW(hwnd_, platform::Widen(layout_.caption).c_str());
      PlaceWindow();
      OnInit();
      ApplyFont();
      OnLayout();
      return TRUE;
    case WM_COMMAND:
      return HandleCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)) ? TRUE : FALSE;
    case WM_NOTIFY:
      if (const std::optional<LRESULT> result = OnNotify(*reinterpret_cast<NMHDR*>(lp))) {
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, *result);
        return TRUE;
      }
      return FALSE;
    case WM_DRAWITEM:
      return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)) ? TRUE : FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      // The one message a dialog procedure answers with a brush, not TRUE.
      return reinterpret_cast<INT_PTR>(
          OnControlColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp)); return TRUE;
    case WM_CLOSE: Cancel(); return TRUE;
  }
  if (const std::optional<LRESULT> result = OnMessage(msg, wp, lp)) {
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, *result);
    return TRUE;
  }
  return FALSE;
}

}  // namespace quillow::ui
