// A report-style list view over data the owner keeps (LVS_OWNERDATA): the control asks for
// each visible text, so the row count costs nothing but the count.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <vector>

#include "ui/controls/control.h"

namespace quillow::ui {

class ListView : public Control {
 public:
  void Create(HWND parent, int id);

  void AddColumn(const std::string& caption, int width);
  int ColumnCount() const;
  std::string ColumnCaption(int column) const;
  int ColumnWidth(int column) const;

  // New row count; the rows already shown keep their place and selection.
  void SetRowCount(size_t count);
  size_t RowCount() const;
  // Every row's selection cleared.
  void ClearSelection();
  void Select(size_t row, bool focus);
  std::vector<size_t> SelectedRows() const;
  size_t SelectedCount() const;
  // Repaints the rows shown (their texts may have changed places).
  void RedrawAll();
  void EnsureVisible(size_t row);
  // The text the control shows for a cell, asked back from the owner.
  std::string CellText(size_t row, int column) const;
};

}  // namespace quillow::ui
