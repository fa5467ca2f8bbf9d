// A static control: text, or an image, or a surface the form draws itself.
#pragma once

#include <windows.h>

#include "ui/controls/control.h"

namespace quillow::ui {

class Static : public Control {
 public:
  // `style`: the static styles; SS_LEFT wraps words, SS_NOTIFY reports clicks (STN_CLICKED),
  // SS_OWNERDRAW leaves the drawing to the form (WM_DRAWITEM).
  void Create(HWND parent, int id, const std::string& text, DWORD style = SS_LEFT | SS_NOPREFIX) {
    CreateChild(L"Static", text, style, 0, parent, id);
  }
};

}  // namespace quillow::ui
