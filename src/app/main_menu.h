// The main window's menu bar and the results list's pop-up menu: their items, which of them
// are enabled, and the check marks of the four search options.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"
#include "settings/settings.h"

namespace quillow::app {

class MainMenu {
 public:
  MainMenu() = default;
  MainMenu(const MainMenu&) = delete;
  MainMenu& operator=(const MainMenu&) = delete;

  // Makes both menus and gives the bar to `window`, with the output commands off.
  void Create(HWND window);

  // Save, Append and Print: on only while there are results to write.
  void EnableOutputCommands(bool on);
  // The whole Options menu (off while a search runs).
  void EnableOptionsMenu(bool on);
  // The check marks of the four search options, as `settings` holds them.
  void SetOptionChecks(const settings::AppSettings& settings);
  // Flips the check mark of an option's command; returns the new state.
  bool ToggleOption(int commandId);
  // Shows the pop-up menu at a point on the screen.
  void TrackPopup(POINT at) const;

  // The components, by their names.
  HMENU ResultsMenu = nullptr;  // the window's own
  platform::UniqueMenu PopupMenu1;

 private:
  HWND window_ = nullptr;
};

}  // namespace quillow::app
