// "Advanced Options": the sources a search looks into and the options of saved results.
// The form exists from start-up; its controls are added with the options they edit.
#pragma once

#include "dialogs/dialog_form.h"

namespace quillow::dialogs {

class TAdvancedOptions : public DialogForm {
 public:
  TAdvancedOptions()
      : DialogForm({.caption = "Advanced Options",
                    .clientWidth = 435,
                    .clientHeight = 308,
                    .toolWindow = true}) {}
};

}  // namespace quillow::dialogs
