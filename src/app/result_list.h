// The results list: the rows a search found, in the list's order, and the virtual list view
// that shows them. The view asks for each text it draws; the rows stay here.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <vector>

#include "search/types.h"
#include "ui/controls/list_view.h"

namespace quillow::app {

class ResultList {
 public:
  explicit ResultList(ui::ListView& view) : view_(view) {}
  ResultList(const ResultList&) = delete;
  ResultList& operator=(const ResultList&) = delete;

  const std::vector<search::ResultRow>& Rows() const { return rows_; }
  // The first selected row, or null.
  const search::ResultRow* FirstSelected() const;

  // Empties the list for a new search.
  void Clear();
  void Add(search::ResultRow&& row);
  void Add(std::vector<search::ResultRow>&& rows);
  // Tells the view how many rows there are. Its length costs the window the same however
  // many rows it brings, so while new rows only land below the rows shown it is updated
  // at most every kListLengthInterval, unless `now`. True: rows are still waiting.
  bool ListNewRows(bool now);

  // The view's questions: the text of a cell, and the row that typed text jumps to.
  void DispInfo(NMLVDISPINFOW& info) const;
  int FindItem(const NMLVFINDITEMW& find) const;

  // Sorts the whole list by `kind`, keeping the selected rows selected.
  void Sort(int kind);
  // Sorts by the kind a click on `column` asks for after `kind`; returns that kind.
  int SortByColumn(int kind, int column);

 private:
  static constexpr ULONGLONG kListLengthInterval = 500;

  ui::ListView& view_;
  std::vector<search::ResultRow> rows_;
  size_t listedRows_ = 0;       // how many of rows_ the view knows of
  ULONGLONG rowsListedAt_ = 0;  // GetTickCount64() when it last heard
};

}  // namespace quillow::app
