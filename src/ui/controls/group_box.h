// A group box: a frame with a caption around related controls. The controls it frames are
// its siblings, not its children, so their notifications reach the form directly.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/controls/control.h"

namespace quillow::ui {

class GroupBox : public Control {
 public:
  void Create(HWND parent, int id, const std::string& caption) {
    CreateChild(WC_BUTTONW, caption, BS_GROUPBOX, 0, parent, id);
  }
};

}  // namespace quillow::ui
