// "ZIP file extraction": where and how selected ZIP members are extracted. The form exists
// from start-up; its controls come with the extraction command.
#pragma once

#include "dialogs/dialog_form.h"

namespace quillow::dialogs {

class TZipOptions : public DialogForm {
 public:
  TZipOptions()
      : DialogForm({.caption = "ZIP file extraction",
                    .clientWidth = 358,
                    .clientHeight = 99,
                    .toolWindow = true,
                    .titleButtons = false,
                    .centreOnScreen = false}) {}
};

}  // namespace quillow::dialogs
