// A panel that holds other controls, with a bevel and, where asked for, a gradient
// background. It hands its controls' notifications on to its own parent, so the form
// handles them as if the controls were its own.
#pragma once

#include "ui/controls/control.h"

namespace quillow::ui {

struct PanelLook {
  UINT bevel = BDR_RAISEDINNER;  // the edges DrawEdge draws along the border
  // A background of horizontal lines 1 pixel high, from the top colour to the bottom one.
  bool gradient = false;
  COLORREF gradientTop = 0, gradientBottom = 0;
};

class Panel : public Control {
 public:
  void Create(HWND parent, int id, const PanelLook& look = {});
};

// The colour of line `line` (0 at the top) of a gradient `lines` high.
COLORREF GradientColor(COLORREF top, COLORREF bottom, int line, int lines);
// Paints the gradient lines that fall into `area`; `firstLine` is the gradient line at the
// top of `area` (a control on a gradient panel paints the part of it that lies behind it).
void PaintGradient(HDC dc, const RECT& area, int firstLine, int lines, COLORREF top,
                   COLORREF bottom);

}  // namespace quillow::ui
