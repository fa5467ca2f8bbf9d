#include "ui/dialogs/zipext/zipext.h"

#include "ui/components/component_folder_browser.h"
#include "ui/dialogs/zipext/zipext_ids.h"
#include "zip/component/zip_component.h"

namespace quillow::ui {

namespace id = zipext_id;

TZipOptions::TZipOptions()
    : DialogForm({.caption = "ZIP file extraction",
                  .clientWidth = 358,
                  .clientHeight = 99,
                  .toolWindow = true,
                  .titleButtons = false,
                  .centreOnScreen = false}) {
  BrowseFolder.Directory = "C:\\";
  BrowseFolder.Flags = ui::bfFileSysDirsOnly | ui::bfStatusText;
  BrowseFolder.ShowPathInStatusArea = false;
}

void TZipOptions::SetZipComponent(zip::TZipComponent* component,
                                  std::function<void(const std::string& file)> showFile) {
  zip_ = component;
  showFile_ = std::move(showFile);
}

void TZipOptions::OnInit() {
  const HWND form = Handle();
  BrowseFolder.SetOwnerWindow(form);
  Label3.Create(form, id::Label3, "Extract to:");
  Folder.Create(form, id::Folder, "C:\\");
  Folder.SetLimit(255);
  Button3.Create(form, id::Button3, "Browse...");
  CheckBox1.Create(form, id::CheckBox1, "Extract with folder names");
  CheckBox1.SetChecked(true);
  CheckBox2.Create(form, id::CheckBox2, "Overwrite files");
  CheckBox2.SetChecked(true);
  Button1.Create(form, id::Button1, "OK");
  Button2.Create(form, id::Button2, "Cancel");
  // Enter in the folder box extracts, as a click on "OK" does.
  SendMessageW(form, DM_SETDEFID, id::Button1, 0);
}

void TZipOptions::OnLayout() {
  // Pixels at 96 dots per inch: 8 from the form's edges; the buttons in a column on the
  // right, the check boxes lined up under the folder box they belong to.
  PlaceControls({
      {Label3, 8, 13, 62, 15},
      {Folder, 72, 9, 195, 22},
      {Button3, 275, 8, 75, 25},
      {CheckBox1, 72, 43, 195, 17},
      {CheckBox2, 72, 66, 195, 17},
      {Button1, 275, 39, 75, 25},
      {Button2, 275, 68, 75, 25},
  });
}

bool TZipOptions::OnCommand(int commandId, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (commandId) {
    case id::Button3: Button3Click(); return true;
    case id::Button1: Button1Click(); return true;
    case id::Button2: Button2Click(); return true;
  }
  return false;
}

void TZipOptions::Button3Click() {
  ui::ComponentFolderBrowser own(BrowseFolder);
  ui::FolderBrowser& browser = browser_ ? *browser_ : own;
  browser.SetDirectory(Folder.Text());
  if (browser.Execute()) Folder.SetText(browser.Directory());
}

void TZipOptions::Button1Click() { Accept(); }

void TZipOptions::Button2Click() { Cancel(); }

bool TZipOptions::OnOK() {
  // A second "OK" while the first still extracts (from a message the extraction let
  // through) does nothing.
  if (!zip_ || extracting_) return !extracting_;
  zip_->ExtrBaseDir = Folder.Text();
  zip_->ExtrOptions = {};
  if (CheckBox1.Checked()) zip_->ExtrOptions.Include(zip::ExtrDirNames);
  if (CheckBox2.Checked()) zip_->ExtrOptions.Include(zip::ExtrOverWrite);

  // The form stays up with the hourglass while the library works; the window shows the
  // name of each file as it begins.
  struct Scope {
    TZipOptions& form;
    zip::TZipComponent::ProgressEvent previous;
    HCURSOR cursor;
    ~Scope() {
      form.zip_->OnProgress = std::move(previous);
      form.extracting_ = false;
      SetCursor(cursor);
    }
  } scope{*this, zip_->OnProgress, SetCursor(LoadCursorW(nullptr, IDC_WAIT))};
  extracting_ = true;
  zip_->OnProgress = [this, &scope](zip::TZipComponent& sender, zip::ProgrType type,
                                    const std::string& file, int32_t size) {
    if (type == zip::ProgressFileStart && showFile_) showFile_(file);
    if (scope.previous) scope.previous(sender, type, file, size);
  };
  zip_->Extract();
  return true;
}

std::optional<LRESULT> TZipOptions::OnMessage(UINT msg, WPARAM, LPARAM) {
  if (msg == WM_SETCURSOR && extracting_) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
  }
  return std::nullopt;
}

}  // namespace quillow::ui
