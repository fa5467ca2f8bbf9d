// What and where to search: the two input boxes, Enter, "Browse...", the drive sets and
// the four option toggles.
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>

#include "app/ids.h"
#include "app/result_form.h"

namespace quillow::app {

void TResultForm::OnComboCommand(int id, int code) {
  // A choice from the drop-down list reaches the edit only after this notification, so
  // the rule looks at the chosen item instead.
  const bool files = id == id::Files;
  if (code == CBN_EDITCHANGE) {
    files ? FilesChange() : FolderChange();
  } else if (code == CBN_SELCHANGE) {
    EnablingRule(files ? Files.SelectedOrEditText() : Files.Text(),
                 files ? Folder.Text() : Folder.SelectedOrEditText());
  }
}

void TResultForm::FilesChange() { EnablingRule(Files.Text(), Folder.Text()); }
void TResultForm::FolderChange() { EnablingRule(Files.Text(), Folder.Text()); }

void TResultForm::EnablingRule(const std::string& files, const std::string& folder) {
  // While a search runs the button stays enabled: it is the way to stop the search.
  const bool idle = BeginSearch.Text() == kBeginSearchCaption;
  BeginSearch.Enable(!((files.empty() || folder.empty()) && idle));
}

void TResultForm::FilesKeyPress(wchar_t& key) { KeyPress(key); }
void TResultForm::FolderKeyPress(wchar_t& key) { KeyPress(key); }

void TResultForm::KeyPress(wchar_t& key) {
  if (key != L'\r') return;
  key = 0;
  if (BeginSearch.Enabled() && BeginSearch.Text() == kBeginSearchCaption) BeginSearchClick();
}

void TResultForm::Button1Click() {
  const std::optional<std::string> lookIn = scope_.Browse(Folder.Text());
  if (!lookIn) return;
  Folder.SetText(*lookIn);
  FolderChange();
}

void TResultForm::ApplyDriveSet(DriveSet set) {
  Folder.SetText(scope_.DriveSetLookIn(set));
  FolderChange();
}

void TResultForm::Allavailabledrives1Click() { ApplyDriveSet(DriveSet::kAll); }
void TResultForm::Allremovabledrives2Click() { ApplyDriveSet(DriveSet::kRemovable); }
void TResultForm::Allnonremovabledrives1Click() { ApplyDriveSet(DriveSet::kNonRemovable); }

void TResultForm::Casesensitive1Click() {
  Settings.Options.CaseSensitive = menu_.ToggleOption(id::Casesensitive1);
}
void TResultForm::Includesubfolders1Click() {
  Settings.Options.SubFolders = menu_.ToggleOption(id::Includesubfolders1);
}
void TResultForm::Displaycountonly1Click() {
  Settings.Options.CountOnly = menu_.ToggleOption(id::Displaycountonly1);
}
void TResultForm::Showwarnings1Click() {
  Settings.Options.ShowWarnings = menu_.ToggleOption(id::Showwarnings1);
}

}  // namespace quillow::app
