// The window's settings store: read into the controls when the window is made, taken back
// from them when it closes, and the window's bounds and show state on the way. A first run
// after the legacy configuration file also brings that file's window block.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "settings/key_value_store.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "ui/controls/combo_box.h"
#include "ui/services.h"

namespace quillow::app {

class WindowSettings {
 public:
  // `store` null: the current user's registry. The two boxes are the window's history lists.
  WindowSettings(settings::KeyValueStore* store, ui::MessageBoxes& messages, ui::ComboBox& files,
                 ui::ComboBox& folder);
  WindowSettings(const WindowSettings&) = delete;
  WindowSettings& operator=(const WindowSettings&) = delete;

  // Reads the store into `settings` (asking, where there is one, whether the legacy file may
  // go), fills the history lists and places `window`.
  void Load(HWND window, const std::string& programFolder, settings::AppSettings& settings);
  // The legacy file's window block, once: its bounds and its histories.
  void ApplyLegacyWindow(HWND window);
  // Takes the histories and bounds from the controls and writes everything to the store.
  void Save(HWND window, settings::AppSettings& settings);
  // The show command the settings ask for, or `requested` when they ask for none.
  int ShowCommand(int requested) const { return showOverride_ >= 0 ? showOverride_ : requested; }

 private:
  static settings::WindowPlacement CurrentPlacement(HWND window);
  static void ApplyBounds(HWND window, const settings::WindowPlacement& placement);

  std::unique_ptr<settings::KeyValueStore> ownStore_;
  settings::KeyValueStore& store_;
  ui::MessageBoxes& messages_;
  ui::ComboBox& files_;
  ui::ComboBox& folder_;
  bool legacyImport_ = false;
  settings::LegacyWindow legacyWindow_;
  int showOverride_ = -1;  // a show command that the settings ask for, or -1
};

}  // namespace quillow::app
