#include "ui/controls/status_bar.h"

#include <commctrl.h>

#include "platform/win32/text.h"

namespace quillow::ui {

void StatusBar::Create(HWND parent, int id) {
  CreateChild(STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, 0, parent, id);
}

void StatusBar::SetPanels(const std::vector<int>& widths) {
  // The control takes right edges; -1 reaches the edge of the window.
  std::vector<int> edges;
  int right = 0;
  for (int w : widths) edges.push_back(right += w);
  edges.push_back(-1);
  SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void StatusBar::SetPanelText(int panel, const std::string& text) {
  const std::wstring wide = platform::Widen(text);
  SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string StatusBar::PanelText(int panel) const {
  const LRESULT info = SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0);
  const size_t n = LOWORD(info);
  std::wstring text(n + 1, L'\0');
  SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(n);
  return platform::Narrow(text);
}

int StatusBar::Height() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.bottom - r.top;
}

void StatusBar::ParentResized() { SendMessageW(hwnd_, WM_SIZE, 0, 0); }

}  // namespace quillow::ui
