// A raised panel that holds other controls. It hands their notifications on to its own
// parent, so the form handles them as if the controls were its own.
#pragma once

#include "app/controls/control.h"

namespace quillow::ui {

class Panel : public Control {
 public:
  void Create(HWND parent, int id);
};

}  // namespace quillow::ui
