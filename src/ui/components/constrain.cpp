#include "ui/components/constrain.h"

#include <commctrl.h>

namespace quillow::ui {

void ApplyConstrain(const ConstrainValues& v, MINMAXINFO& info) {
  if (v.MaximizedWidth != 0) info.ptMaxSize.x = v.MaximizedWidth;
  if (v.MaximizedHeight != 0) info.ptMaxSize.y = v.MaximizedHeight;
  if (v.MaximizedLeft != 0) info.ptMaxPosition.x = v.MaximizedLeft;
  if (v.MaximizedTop != 0) info.ptMaxPosition.y = v.MaximizedTop;
  if (v.MinWidth != 0) info.ptMinTrackSize.x = v.MinWidth;
  if (v.MinHeight != 0) info.ptMinTrackSize.y = v.MinHeight;
  if (v.MaxWidth != 0) info.ptMaxTrackSize.x = v.MaxWidth;
  if (v.MaxHeight != 0) info.ptMaxTrackSize.y = v.MaxHeight;
}

TConstrain::TConstrain(HWND owner) {
  if (!owner || (GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD) != 0) return;
  if (SetWindowSubclass(owner, SubWndProc, reinterpret_cast<UINT_PTR>(this),
                        reinterpret_cast<DWORD_PTR>(this)))
    owner_ = owner;
}

TConstrain::~TConstrain() {
  if (owner_ && IsWindow(owner_))
    RemoveWindowSubclass(owner_, SubWndProc, reinterpret_cast<UINT_PTR>(this));
}

LRESULT CALLBACK TConstrain::SubWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR self) {
  // The values go in before the form's own procedure sees the query.
  if (msg == WM_GETMINMAXINFO && lp != 0)
    ApplyConstrain(*reinterpret_cast<TConstrain*>(self), *reinterpret_cast<MINMAXINFO*>(lp));
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace quillow::ui
