// A static text.
#pragma once

#include "ui/controls/control.h"

namespace quillow::ui {

class Label : public Control {
 public:
  void Create(HWND parent, int id, const std::string& text) {
    CreateChild(L"Static", text, SS_LEFT | SS_NOPREFIX, 0, parent, id);
  }
};

}  // namespace quillow::ui
