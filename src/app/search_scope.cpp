#include "app/search_scope.h"

#include "platform/fs.h"

namespace quillow::app {

SearchScope::SearchScope(ui::FolderBrowser* browser, const platform::DriveTypeTable& driveTypes)
    : browser_(browser ? *browser : ownBrowser_), driveTypes_(driveTypes) {
  BrowseFolder.Directory = "C:\\";
  BrowseFolder.Title = "Look for files in";
  BrowseFolder.Flags = ui::bfFileSysDirsOnly | ui::bfStatusText;
  BrowseFolder.ShowPathInStatusArea = true;
  BrowseFolder.RootFolder = ui::foMyComputer;
}

std::optional<std::string> SearchScope::Browse(const std::string& lookIn) {
  std::string start = BrowseStartFolder(lookIn);
  if (start.empty()) start = platform::CurrentFolder();
  browser_.SetDirectory(start);
  if (!browser_.Execute()) return std::nullopt;
  return LookInForFolder(browser_.Directory());
}

}  // namespace quillow::app
