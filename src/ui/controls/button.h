// A push button, optionally with a glyph beside its caption.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "platform/win32/handles.h"
#include "ui/controls/control.h"

namespace quillow::ui {

class Button : public Control {
 public:
  void Create(HWND parent, int id, const std::string& caption);
  // Two images of equal size side by side in `bitmap`: the enabled look, then the disabled
  // look. The button keeps its caption and shows the image on its left.
  void SetGlyph(HBITMAP bitmap, COLORREF transparent);

 private:
  platform::UniqueImageList images_;
};

}  // namespace quillow::ui
