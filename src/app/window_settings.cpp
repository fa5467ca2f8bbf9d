#include "app/window_settings.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "settings/registry_store_win32.h"

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

settings::KeyValueStore& StoreOrOwn(settings::KeyValueStore* store,
                                    std::unique_ptr<settings::KeyValueStore>& own) {
  if (store) return *store;
  own = std::make_unique<settings::RegistryStore>();
  return *own;
}

}  // namespace

WindowSettings::WindowSettings(settings::KeyValueStore* store, ui::MessageBoxes& messages,
                               ui::ComboBox& files, ui::ComboBox& folder)
    : store_(StoreOrOwn(store, ownStore_)), messages_(messages), files_(files), folder_(folder) {}

void WindowSettings::Load(HWND window, const std::string& programFolder,
                          settings::AppSettings& settings) {
  settings.Placement = CurrentPlacement(window);
  const settings::LoadOutcome outcome =
      settings::LoadSettings(store_, programFolder, settings, [this, window] {
        return messages_.Show(window, settings::kLegacyQuestion, "", MB_YESNO) == IDYES;
      });
  // Only a legacy file that held a window block has a placement and histories to give.
  legacyImport_ = outcome.migrated && outcome.windowBlockRead;
  legacyWindow_ = outcome.window;

  for (const std::string& text : settings.FolderHistory) folder_.AddItem(text);
  for (const std::string& text : settings.FilesHistory) files_.AddItem(text);
  ApplyBounds(window, settings.Placement);
  // The program is shown maximized unless told otherwise: a window closed in its normal
  // state comes back in it, with its bounds.
  if (outcome.stateStored)
    showOverride_ = settings.Placement.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

// The histories are added once, however often the window is shown.
void WindowSettings::ApplyLegacyWindow(HWND window) {
  if (!legacyImport_) return;
  legacyImport_ = false;
  showOverride_ = legacyWindow_.placement.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  ApplyBounds(window, legacyWindow_.placement);
  for (const std::string& text : legacyWindow_.folders) folder_.AddItem(text);
  for (const std::string& text : legacyWindow_.files) files_.AddItem(text);
}

void WindowSettings::Save(HWND window, settings::AppSettings& settings) {
  settings.FolderHistory.clear();
  settings.FilesHistory.clear();
  for (int i = 0; i < folder_.Count(); ++i) settings.FolderHistory.push_back(folder_.ItemText(i));
  for (int i = 0; i < files_.Count(); ++i) settings.FilesHistory.push_back(files_.ItemText(i));
  settings.Placement = CurrentPlacement(window);
  settings::SaveSettings(store_, settings);
}

settings::WindowPlacement WindowSettings::CurrentPlacement(HWND window) {
  settings::WindowPlacement p;
  p.known = true;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  RECT r{};
  // A maximized or minimized window is stored with the bounds it goes back to: a minimized
  // one's own lie far off the screen.
  if ((IsZoomed(window) || IsIconic(window)) && GetWindowPlacement(window, &wp)) {
    p.maximized = IsZoomed(window) || (wp.flags & WPF_RESTORETOMAXIMIZED);
    r = ScreenRect(wp.rcNormalPosition);
  } else {
    GetWindowRect(window, &r);
  }
  p.left = r.left;
  p.top = r.top;
  p.width = r.right - r.left;
  p.height = r.bottom - r.top;
  return p;
}

void WindowSettings::ApplyBounds(HWND window, const settings::WindowPlacement& p) {
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
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace quillow::app
