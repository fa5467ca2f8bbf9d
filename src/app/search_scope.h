// Where a search looks, as "Browse..." and the Search menu's drive sets write it into the
// Look-in box: the folder browser (the window's BrowseFolder unless another is given) and
// the drive types taken once at start-up.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/scope.h"
#include "platform/win32/drives.h"
#include "ui/components/browse_folder.h"
#include "ui/components/component_folder_browser.h"
#include "ui/services.h"

namespace quillow::app {

class SearchScope {
 public:
  // `browser` null: the own BrowseFolder.
  SearchScope(ui::FolderBrowser* browser, const platform::DriveTypeTable& driveTypes);
  SearchScope(const SearchScope&) = delete;
  SearchScope& operator=(const SearchScope&) = delete;

  // The window the folder browser is shown over.
  void SetOwnerWindow(HWND owner) { BrowseFolder.SetOwnerWindow(owner); }

  // The Look-in text for a folder the user picks, starting at the first folder of
  // `lookIn` (the current folder when it names none); nothing when the user cancels.
  std::optional<std::string> Browse(const std::string& lookIn);
  // The Look-in text of a drive set; empty when no drive is in it.
  std::string DriveSetLookIn(DriveSet set) const { return DriveSetText(driveTypes_, set); }
  const platform::DriveTypeTable& DriveTypes() const { return driveTypes_; }

  // The component, by its name.
  ui::TBrowseFolder BrowseFolder;

 private:
  ui::ComponentFolderBrowser ownBrowser_{BrowseFolder};
  ui::FolderBrowser& browser_;
  platform::DriveTypeTable driveTypes_;
};

}  // namespace quillow::app
