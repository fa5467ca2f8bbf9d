// The folder browser component behind the interface the windows ask through (tests put
// their own behind it).
#pragma once

#include <string>

#include "ui/components/browse_folder.h"
#include "ui/services.h"

namespace quillow::ui {

class ComponentFolderBrowser final : public FolderBrowser {
 public:
  explicit ComponentFolderBrowser(TBrowseFolder& browser) : browser_(browser) {}
  std::string Directory() const override { return browser_.Directory; }
  void SetDirectory(const std::string& directory) override { browser_.Directory = directory; }
  bool Execute() override { return browser_.Execute(); }

 private:
  TBrowseFolder& browser_;
};

}  // namespace quillow::ui
