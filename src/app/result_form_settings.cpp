// The settings store at the window: loaded into the controls when the window is made, and
// taken back from them when it closes.
#include <windows.h>

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
  // An off Maximized leaves the state the window would be shown in.
  if (Settings.Placement.maximized) showOverride_ = SW_SHOWMAXIMIZED;
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
  // Hand-edited or stale bounds that reach no monitor (or have no size) are not applied:
  // the window would be out of sight.
  const int64_t right = int64_t{p.left} + p.width, bottom = int64_t{p.top} + p.height;
  if (p.width <= 0 || p.height <= 0 || right > INT32_MAX || bottom > INT32_MAX) return;
  RECT r{p.left, p.top, static_cast<LONG>(right), static_cast<LONG>(bottom)};
  if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
  SetWindowPos(hwnd_, nullptr, p.left, p.top, p.width, p.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace quillow::app
