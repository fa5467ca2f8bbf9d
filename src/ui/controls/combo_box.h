// An editable drop-down combo box: the edit text and its drop-down list of items.
#pragma once

#include "ui/controls/control.h"

namespace quillow::ui {

class ComboBox : public Control {
 public:
  void Create(HWND parent, int id);

  int Count() const;
  std::string ItemText(int index) const;
  void InsertItem(int index, const std::string& text);
  void AddItem(const std::string& text);
  void DeleteItem(int index);
  // Text of the item chosen in the drop-down, or the edit text when none is chosen.
  std::string SelectedOrEditText() const;
  // The edit control inside the box (it receives the keys).
  HWND EditHandle() const;
};

}  // namespace quillow::ui
