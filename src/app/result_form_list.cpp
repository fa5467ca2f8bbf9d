// The results list at the window: its notifications, column clicks and sorting, the double
// click and the pop-up menu.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include "app/ids.h"
#include "app/result_form.h"

namespace quillow::app {

LRESULT TResultForm::OnNotify(NMHDR* header) {
  if (!header || header->idFrom != id::Results) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW:
      resultList_.DispInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
      return 0;
    case LVN_ODFINDITEMW: return resultList_.FindItem(*reinterpret_cast<NMLVFINDITEMW*>(header));
    case LVN_COLUMNCLICK:
      ResultsColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return 0;
    case NM_DBLCLK: ResultsDblClick(); return 0;
  }
  return 0;
}

void TResultForm::ResultsColumnClick(int column) {
  Settings.SortType = resultList_.SortByColumn(Settings.SortType, column);
}

void TResultForm::SortResults() { resultList_.Sort(Settings.SortType); }

void TResultForm::ResultsDblClick() {
  if (const search::ResultRow* row = resultList_.FirstSelected())
    opener_.Open(hwnd_, *row, *ZipComponent);
}

void TResultForm::OnContextMenu(HWND from, LPARAM at) {
  if (from != Results.Handle()) {
    DefWindowProcW(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(from), at);
    return;
  }
  POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (at == -1) {
    // From the keyboard: at the focused row, or the list's corner.
    RECT r{};
    const int focused = ListView_GetNextItem(Results.Handle(), -1, LVNI_FOCUSED);
    if (focused < 0 || !ListView_GetItemRect(Results.Handle(), focused, &r, LVIR_LABEL))
      GetClientRect(Results.Handle(), &r);
    p = {r.left, r.bottom};
    ClientToScreen(Results.Handle(), &p);
  }
  menu_.TrackPopup(p);
}

}  // namespace quillow::app
