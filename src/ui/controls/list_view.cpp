#include "ui/controls/list_view.h"

#include "platform/win32/text.h"

namespace quillow::ui {

void ListView::Create(HWND parent, int id) {
  CreateChild(WC_LISTVIEWW, "", LVS_REPORT | LVS_OWNERDATA | WS_TABSTOP, WS_EX_CLIENTEDGE, parent,
              id);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
}

void ListView::AddColumn(const std::string& caption, int width) {
  std::wstring text = platform::Widen(caption);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = text.data();
  col.cx = width;
  col.iSubItem = ColumnCount();
  SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(col.iSubItem),
               reinterpret_cast<LPARAM>(&col));
}

int ListView::ColumnCount() const {
  HWND header = ListView_GetHeader(hwnd_);
  return header ? Header_GetItemCount(header) : 0;
}

std::string ListView::ColumnCaption(int column) const {
  wchar_t text[256] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = text;
  col.cchTextMax = 255;
  if (!SendMessageW(hwnd_, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                    reinterpret_cast<LPARAM>(&col)))
    return {};
  return platform::Narrow(col.pszText);
}

int ListView::ColumnWidth(int column) const { return ListView_GetColumnWidth(hwnd_, column); }

void ListView::SetRowCount(size_t count) {
  ListView_SetItemCountEx(hwnd_, static_cast<int>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

size_t ListView::RowCount() const {
  const int n = ListView_GetItemCount(hwnd_);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

void ListView::ClearSelection() { ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED); }

void ListView::Select(size_t row, bool focus) {
  const UINT state = LVIS_SELECTED | (focus ? LVIS_FOCUSED : 0);
  ListView_SetItemState(hwnd_, static_cast<int>(row), state, state);
}

std::vector<size_t> ListView::SelectedRows() const {
  std::vector<size_t> rows;
  int i = -1;
  while ((i = ListView_GetNextItem(hwnd_, i, LVNI_SELECTED)) >= 0)
    rows.push_back(static_cast<size_t>(i));
  return rows;
}

size_t ListView::SelectedCount() const {
  return static_cast<size_t>(ListView_GetSelectedCount(hwnd_));
}

void ListView::RedrawAll() { InvalidateRect(hwnd_, nullptr, FALSE); }

void ListView::EnsureVisible(size_t row) {
  ListView_EnsureVisible(hwnd_, static_cast<int>(row), FALSE);
}

std::string ListView::CellText(size_t row, int column) const {
  wchar_t text[1024] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 1024;
  SendMessageW(hwnd_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return platform::Narrow(text);
}

}  // namespace quillow::ui
