#include "app/result_list.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

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

const search::ResultRow* ResultList::FirstSelected() const {
  const int item = ListView_GetNextItem(view_.Handle(), -1, LVNI_SELECTED);
  if (item < 0 || static_cast<size_t>(item) >= rows_.size()) return nullptr;
  return &rows_[static_cast<size_t>(item)];
}

void ResultList::Clear() {
  view_.SetRowCount(0);
  rows_.clear();
  rows_.shrink_to_fit();
  listedRows_ = 0;
}

void ResultList::Add(search::ResultRow&& row) {
  rows_.push_back(std::move(row));
  ListNewRows(false);
}

void ResultList::Add(std::vector<search::ResultRow>&& rows) {
  if (rows_.empty()) {
    rows_.swap(rows);
  } else {
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
  }
  ListNewRows(false);
}

bool ResultList::ListNewRows(bool now) {
  if (listedRows_ == rows_.size()) return false;
  const ULONGLONG tick = GetTickCount64();
  if (!now && listedRows_ > 0 && tick - rowsListedAt_ < kListLengthInterval) {
    // A row that would show (the page is not full yet) is listed at once.
    const HWND list = view_.Handle();
    const int top = ListView_GetTopIndex(list);
    const int page = ListView_GetCountPerPage(list);
    if (listedRows_ >
        static_cast<size_t>(std::max(top, 0)) + static_cast<size_t>(std::max(page, 0)))
      return true;
  }
  view_.SetRowCount(rows_.size());
  listedRows_ = rows_.size();
  rowsListedAt_ = tick;
  return false;
}

void ResultList::DispInfo(NMLVDISPINFOW& info) const {
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
int ResultList::FindItem(const NMLVFINDITEMW& find) const {
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

int ResultList::SortByColumn(int kind, int column) {
  const int chosen = output::ColumnClickKind(kind, column);
  Sort(chosen);
  return chosen;
}

void ResultList::Sort(int kind) {
  if (!view_.Handle()) return;
  ListNewRows(true);  // a sort during a search takes in the rows the list has not shown yet
  // The list keeps its selection by position; the selected rows are found again by their
  // texts after the sort (identical rows are interchangeable).
  const std::vector<size_t> selected = view_.SelectedRows();
  std::unordered_map<std::string, int> wanted;
  std::unordered_set<std::string> names;
  for (size_t i : selected) {
    if (i >= rows_.size()) continue;
    ++wanted[RowKey(rows_[i])];
    names.insert(rows_[i].file);
  }
  output::SortRows(rows_, kind);
  if (!wanted.empty()) {
    view_.ClearSelection();
    bool focused = false;
    for (size_t i = 0; i < rows_.size() && !wanted.empty(); ++i) {
      if (!names.count(rows_[i].file)) continue;
      auto it = wanted.find(RowKey(rows_[i]));
      if (it == wanted.end()) continue;
      view_.Select(i, !focused);
      focused = true;
      if (--it->second == 0) wanted.erase(it);
    }
  }
  view_.RedrawAll();
}

}  // namespace quillow::app
