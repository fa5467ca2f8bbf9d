#include "ui/controls/panel.h"

namespace quillow::ui {

namespace {

constexpr wchar_t kPanelClass[] = L"QuillowPanel";

PanelLook* LookOf(HWND hwnd) {
  return reinterpret_cast<PanelLook*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  const PanelLook* look = LookOf(hwnd);
  if (look && look->gradient)
    PaintGradient(dc, r, 0, r.bottom - r.top, look->gradientTop, look->gradientBottom);
  DrawEdge(dc, &r, look ? look->bevel : BDR_RAISEDINNER, BF_RECT);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM: return SendMessageW(GetParent(hwnd), msg, wp, lp);
    case WM_ERASEBKGND:
      // A gradient covers every pixel: erasing first would only flicker.
      if (const PanelLook* look = LookOf(hwnd); look && look->gradient) return 1;
      break;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_SIZE:
      // The bevel (and a gradient) follow the size: a new size must repaint all of it.
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_NCDESTROY:
      delete LookOf(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
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

COLORREF GradientColor(COLORREF top, COLORREF bottom, int line, int lines) {
  if (lines <= 1) return top;
  auto mix = [&](int a, int b) { return a + (b - a) * line / (lines - 1); };
  return RGB(mix(GetRValue(top), GetRValue(bottom)), mix(GetGValue(top), GetGValue(bottom)),
             mix(GetBValue(top), GetBValue(bottom)));
}

void PaintGradient(HDC dc, const RECT& area, int firstLine, int lines, COLORREF top,
                   COLORREF bottom) {
  for (int y = area.top; y < area.bottom; ++y) {
    const int line = firstLine + (y - area.top);
    const COLORREF colour =
        GradientColor(top, bottom, line < 0 ? 0 : (line >= lines ? lines - 1 : line), lines);
    // ExtTextOut with an opaque rectangle fills a line without making a brush for it.
    SetBkColor(dc, colour);
    const RECT row{area.left, y, area.right, y + 1};
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);
  }
}

void Panel::Create(HWND parent, int id, const PanelLook& look) {
  RegisterPanelClass();
  // Controls on a gradient draw their backgrounds transparently: the panel paints beneath
  // them, so it must not clip them out.
  CreateChild(kPanelClass, "", look.gradient ? 0 : WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent,
              id);
  if (hwnd_)
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PanelLook(look)));
}

}  // namespace quillow::ui
