// The results list: the texts the virtual list asks for, column clicks and sorting, the
// double click and the pop-up menu.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "app/ids.h"
#include "app/result_form.h"
#include "output/display_text.h"
#include "output/ordering.h"
#include "platform/win32/text.h"

namespace quillow::app {

namespace {

const std::string& ColumnText(const search::ResultRow& row, int column) {
  switch (column) {
    case 1: return row.container;
    case 2: return row.modified;
    case 3: return row.size;
    case 4: return row.ratio;
    case 5: return row.packed;
    default: return row.file;
  }
}

// Copies UTF-8 into the list's buffer as UTF-16, cut to fit.
void CopyToBuffer(std::string_view text, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  int n = text.empty() ? 0
                       : MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             buffer, capacity - 1);
  if (n == 0 && !text.empty()) {
    // Longer than the buffer: convert whole, then cut.
    const std::wstring wide = platform::Widen(text);
    n = static_cast<int>(std::min<size_t>(wide.size(), static_cast<size_t>(capacity - 1)));
    wide.copy(buffer, static_cast<size_t>(n));
  }
  buffer[n] = L'\0';
}

std::string RowKey(const search::ResultRow& row) {
  std::string key;
  for (int c = 0; c < 6; ++c) {
    key += ColumnText(row, c);
    key += '\0';
  }
  return key;
}

bool StartsWithIgnoringCase(const std::wstring& text, const wchar_t* prefix) {
  const size_t n = wcslen(prefix);
  if (text.size() < n) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), static_cast<int>(n),
                        prefix, static_cast<int>(n)) == CSTR_EQUAL;
}

}  // namespace

LRESULT TResultForm::OnNotify(NMHDR* header) {
  if (!header || header->idFrom != id::Results) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW: ResultsDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(header)); return 0;
    case LVN_ODFINDITEMW: return ResultsFindItem(*reinterpret_cast<NMLVFINDITEMW*>(header));
    case LVN_COLUMNCLICK:
      ResultsColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return 0;
    case NM_DBLCLK: ResultsDblClick(); return 0;
  }
  return 0;
}

void TResultForm::ResultsDispInfo(NMLVDISPINFOW& info) const {
  if (!(info.item.mask & LVIF_TEXT)) return;
  const size_t row = static_cast<size_t>(info.item.iItem);
  if (info.item.iItem < 0 || row >= rows_.size()) {
    CopyToBuffer({}, info.item.pszText, info.item.cchTextMax);
    return;
  }
  const search::ResultRow& r = rows_[row];
  // Stored names may be in the DOS code page; they are shown decoded.
  if (info.item.iSubItem == 0)
    CopyToBuffer(output::ShownFile(r), info.item.pszText, info.item.cchTextMax);
  else
    CopyToBuffer(ColumnText(r, info.item.iSubItem), info.item.pszText, info.item.cchTextMax);
}

// Typing in the list jumps to the next file name that begins with what was typed.
int TResultForm::ResultsFindItem(const NMLVFINDITEMW& find) const {
  // Only the rows the list knows of: during a search the last few may not be listed yet.
  const size_t count = std::min(rows_.size(), listedRows_);
  if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz || count == 0) return -1;
  size_t start = find.iStart >= 0 ? static_cast<size_t>(find.iStart) : 0;
  if (start >= count) start = 0;
  for (size_t n = 0; n < count; ++n) {
    const size_t i = (start + n) % count;
    if (i < start && !(find.lvfi.flags & LVFI_WRAP)) break;
    if (StartsWithIgnoringCase(platform::Widen(output::ShownFile(rows_[i])), find.lvfi.psz))
      return static_cast<int>(i);
  }
  return -1;
}

void TResultForm::ResultsColumnClick(int column) {
  Settings.SortType = output::ColumnClickKind(Settings.SortType, column);
  SortResults();
}

void TResultForm::SortResults() {
  if (!Results.Handle()) return;
  ListNewRows(true);  // a sort during a search takes in the rows the list has not shown yet
  // The list keeps its selection by position; the selected rows are found again by their
  // texts after the sort (identical rows are interchangeable).
  const std::vector<size_t> selected = Results.SelectedRows();
  std::unordered_map<std::string, int> wanted;
  std::unordered_set<std::string> names;
  for (size_t i : selected) {
    if (i >= rows_.size()) continue;
    ++wanted[RowKey(rows_[i])];
    names.insert(rows_[i].file);
  }
  output::SortRows(rows_, Settings.SortType);
  if (!wanted.empty()) {
    Results.ClearSelection();
    bool focused = false;
    for (size_t i = 0; i < rows_.size() && !wanted.empty(); ++i) {
      if (!names.count(rows_[i].file)) continue;
      auto it = wanted.find(RowKey(rows_[i]));
      if (it == wanted.end()) continue;
      Results.Select(i, !focused);
      focused = true;
      if (--it->second == 0) wanted.erase(it);
    }
  }
  Results.RedrawAll();
}

void TResultForm::ResultsDblClick() {
  const int item = ListView_GetNextItem(Results.Handle(), -1, LVNI_SELECTED);
  if (item < 0 || static_cast<size_t>(item) >= rows_.size()) return;
  opener_.Open(hwnd_, rows_[static_cast<size_t>(item)], *ZipComponent);
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
  TrackPopupMenu(PopupMenu1.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd_, nullptr);
}

}  // namespace quillow::app
