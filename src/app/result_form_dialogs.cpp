// The main window's commands that show a dialog of their own.
#include "app/result_form.h"
#include "ui/dialogs/about/about.h"
#include "ui/dialogs/advanced/advanced.h"

namespace quillow::app {

// The dialog edits the window's one settings object; what it changes there steers the next
// search and the next save.
void TResultForm::Advancedoptions1Click() {
  if (!advancedOptions_) return;
  advancedOptions_->SetSettings(&Settings);
  advancedOptions_->ShowModal();
}

void TResultForm::AboutQuillow1Click() {
  if (aboutBox_) aboutBox_->ShowModal();
}

}  // namespace quillow::app
