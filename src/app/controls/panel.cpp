#include "app/controls/panel.h"

namespace quillow::ui {

namespace {

constexpr wchar_t kPanelClass[] = L"QuillowPanel";

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return SendMessageW(GetParent(hwnd), msg, wp, lp);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SIZE:
      // The bevel is drawn along the edges: a new size must repaint all of it.
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterPanelClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPanelClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

void Panel::Create(HWND parent, int id) {
  RegisterPanelClass();
  CreateChild(kPanelClass, "", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, id);
}

}  // namespace quillow::ui
