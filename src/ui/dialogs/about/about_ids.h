// Control identifiers of the About box, named after their components. "OK" is IDOK: it is
// the form's default button, which Enter clicks.
#pragma once

#include <windows.h>

namespace quillow::ui::about_id {

enum Control : int {
  OKButton = IDOK,
  Panel1 = 100,
  ProgramIcon,
  DecoLabel1,
  DecoLabel3,
  DecoLabel2,
  Notice,
  Label1,
  EMail,
  Comments,
  Homepage,
  Label2,
  Button1,
};

}  // namespace quillow::ui::about_id
