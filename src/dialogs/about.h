// The About box. The form exists from start-up; its contents come with the Help menu.
#pragma once

#include "dialogs/dialog_form.h"

namespace quillow::dialogs {

class TAboutBox : public DialogForm {
 public:
  TAboutBox()
      : DialogForm({.caption = "About Quillow",
                    .clientWidth = 359,
                    .clientHeight = 216,
                    .titleButtons = false}) {}
};

}  // namespace quillow::dialogs
