// The settings store at the window: loaded into the controls when the window is made, and
// taken back from them when it closes.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "app/result_form.h"

namespace quillow::app {

namespace {

// Where a window's restored bounds lie on the screen: the placement gives them in
// work-area coordinates of its monitor.
RECT ScreenRect(RECT rect) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
    OffsetRect(&rect, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
  return rect;
}

// `r` moved (and cut where it is larger) so that it lies wholly inside `area`.
RECT FitInto(RECT r, const RECT& area) {
  const LONG width = std::min(r.right - r.left, area.right - area.left);
  const LONG height = std::min(r.bottom - r.top, area.bottom - area.top);
  const LONG left = std::clamp(r.left, area.left, area.right - width);
  const LONG top = std::clamp(r.top, area.top, area.bottom - height);
  return RECT{left, top, left + width, top + height};
}

}  // namespace

void TResultForm::LoadSettingsIntoControls() {
  Settings.Placement = CurrentPlacement();
  const settings::LoadOutcome outcome = settings::LoadSettings(
      *store_, programFolder_, Settings,
      [this] { return messages_.Show(hwnd_, settings::kLegacyQuestion, "", MB_YESNO) == IDYES; });
  // Only a legacy file that held a window block has a placement and histories to give.
  legacyImport_ = outcome.migrated && outcome.windowBlockRead;
  legacyWindow_ = outcome.window;

  SetOptionChecks();
  for (const std::string& text : Settings.FolderHistory) Folder.AddItem(text);
  for (const std::string& text : Settings.FilesHistory) Files.AddItem(text);
  ApplyBounds(Settings.Placement);
  // The program is shown maximized unless told otherwise: a window closed in its normal
  // state comes back in it, with its bounds.
  if (outcome.stateStored)
    showOverride_ = Settings.Placement.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

void TResultForm::SaveSettingsFromControls() {
  Settings.FolderHistory.clear();
  Settings.FilesHistory.clear();
  for (int i = 0; i < Folder.Count(); ++i) Settings.FolderHistory.push_back(Folder.ItemText(i));
  for (int i = 0; i < Files.Count(); ++i) Settings.FilesHistory.push_back(Files.ItemText(i));
  Settings.Placement = CurrentPlacement();
  settings::SaveSettings(*store_, Settings);
}

settings::WindowPlacement TResultForm::CurrentPlacement() const {
  settings::WindowPlacement p;
  p.known = true;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  RECT r{};
  // A maximized or minimized window is stored with the bounds it goes back to: a minimized
  // one's own lie far off the screen.
  if ((IsZoomed(hwnd_) || IsIconic(hwnd_)) && GetWindowPlacement(hwnd_, &wp)) {
    p.maximized = IsZoomed(hwnd_) || (wp.flags & WPF_RESTORETOMAXIMIZED);
    r = ScreenRect(wp.rcNormalPosition);
  } else {
    GetWindowRect(hwnd_, &r);
  }
  p.left = r.left;
  p.top = r.top;
  p.width = r.right - r.left;
  p.height = r.bottom - r.top;
  return p;
}

void TResultForm::ApplyBounds(const settings::WindowPlacement& p) {
  // Hand-edited bounds without a size are not applied.
  const int64_t right = int64_t{p.left} + p.width, bottom = int64_t{p.top} + p.height;
  if (p.width <= 0 || p.height <= 0 || right > INT32_MAX || bottom > INT32_MAX) return;
  RECT r{p.left, p.top, static_cast<LONG>(right), static_cast<LONG>(bottom)};
  // Bounds that reach no monitor (one since detached, a smaller screen) would put the
  // window out of sight: they move into the work area of the nearest one.
  if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info))
      r = FitInto(r, info.rcWork);
  }
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace quillow::app
