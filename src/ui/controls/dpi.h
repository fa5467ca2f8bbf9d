// Resolution and the form font, shared by the main window and the dialogs: both are laid
// out in pixels at 96 dots per inch and scaled to their monitor.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace quillow::ui {

// The resolution of a window's monitor, or of the screen where the system cannot say.
int WindowDpi(HWND hwnd);
// Pixels at 96 dots per inch to pixels at `dpi`.
inline int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }
// "MS Sans Serif" 8 point at the given resolution.
platform::UniqueFont CreateFormFont(int dpi);

}  // namespace quillow::ui
