// Control identifiers of "ZIP file extraction", named after their components. None is IDOK
// or IDCANCEL: Enter reaches "OK" as the default button, Escape cancels the form.
#pragma once

namespace quillow::ui::zipext_id {

enum Control : int {
  Label3 = 100,
  Folder,
  Button3,
  CheckBox1,
  CheckBox2,
  Button1,
  Button2,
  Progress1,
  Progress2,
};

}  // namespace quillow::ui::zipext_id
