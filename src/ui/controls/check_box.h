// Check boxes and radio buttons: buttons with a check state the system keeps for them.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/controls/control.h"

namespace quillow::ui {

class CheckableButton : public Control {
 public:
  bool Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(bool on) {
    SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
};

class CheckBox : public CheckableButton {
 public:
  void Create(HWND parent, int id, const std::string& caption) {
    CreateChild(WC_BUTTONW, caption, BS_AUTOCHECKBOX | WS_TABSTOP, 0, parent, id);
  }
};

class RadioButton : public CheckableButton {
 public:
  // The first button of a group starts it (and is where Tab enters it); the system keeps one
  // button of a group on.
  void Create(HWND parent, int id, const std::string& caption, bool firstOfGroup) {
    CreateChild(WC_BUTTONW, caption,
                BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0), 0, parent, id);
  }
};

}  // namespace quillow::ui
