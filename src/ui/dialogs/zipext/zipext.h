// "ZIP file extraction": where and how the selected ZIP members are extracted. The form is
// made once and keeps what the user set in it for the rest of the run; "OK" extracts through
// the ZIP component while the form stays up, then closes it.
#pragma once

#include <functional>
#include <string>

#include "ui/components/browse_folder.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/edit.h"
#include "ui/controls/label.h"
#include "ui/dialogs/dialog_form.h"
#include "ui/services.h"

namespace quillow::zip {
class TZipComponent;
}  // namespace quillow::zip

namespace quillow::ui {

class TZipOptions : public DialogForm {
 public:
  TZipOptions();

  // The component "OK" extracts with, and where the name of each file it starts on is
  // shown. Null: "OK" only closes the form.
  void SetZipComponent(zip::TZipComponent* component,
                       std::function<void(const std::string& file)> showFile = {});
  // Null: the form's own BrowseFolder.
  void SetFolderBrowser(ui::FolderBrowser* browser) { browser_ = browser; }

  // Event handlers.
  void Button3Click();
  void Button1Click();
  void Button2Click();

  // Controls, by component name.
  ui::Label Label3;
  ui::Edit Folder;
  ui::Button Button3;
  ui::CheckBox CheckBox1;
  ui::CheckBox CheckBox2;
  ui::Button Button1;
  ui::Button Button2;
  ui::TBrowseFolder BrowseFolder;

 protected:
  void OnInit() override;
  void OnLayout() override;
  bool OnOK() override;
  bool OnCommand(int id, int code, HWND control) override;
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  zip::TZipComponent* zip_ = nullptr;
  std::function<void(const std::string&)> showFile_;
  ui::FolderBrowser* browser_ = nullptr;
  bool extracting_ = false;
};

}  // namespace quillow::ui
