// A status bar with panels.
#pragma once

#include <vector>

#include "ui/controls/control.h"

namespace quillow::ui {

class StatusBar : public Control {
 public:
  void Create(HWND parent, int id);
  // Widths of all panels but the last, which reaches to the right edge.
  void SetPanels(const std::vector<int>& widths);
  void SetPanelText(int panel, const std::string& text);
  std::string PanelText(int panel) const;
  int Height() const;
  // Keeps the bar along the bottom of its parent; call when the parent's size changes.
  void ParentResized();
};

}  // namespace quillow::ui
