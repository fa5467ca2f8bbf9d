// "Extract" and "Extract selected files...": the selected rows must all be members of one
// ZIP archive; the component is loaded with it and their names, the options dialog asks
// where and how, and the members are extracted with the status bar showing each file and
// one message saying what was left out.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "search/types.h"
#include "ui/controls/status_bar.h"
#include "ui/services.h"

namespace quillow::ui {
class TZipOptions;
}  // namespace quillow::ui
namespace quillow::zip {
class TZipComponent;
}  // namespace quillow::zip

namespace quillow::app {

class MemberExtractor {
 public:
  explicit MemberExtractor(ui::MessageBoxes& messages) : messages_(messages) {}
  MemberExtractor(const MemberExtractor&) = delete;
  MemberExtractor& operator=(const MemberExtractor&) = delete;

  // `selected`: indices into `rows`, in display order. `zip` or `dialog` null: nothing to
  // extract with, and nothing happens once the selection has been checked.
  void Extract(HWND owner, const std::vector<search::ResultRow>& rows,
               const std::vector<size_t>& selected, zip::TZipComponent* zip,
               ui::TZipOptions* dialog, ui::StatusBar& status);

 private:
  ui::MessageBoxes& messages_;
};

}  // namespace quillow::app
