// "ZIP file extraction": where and how the selected ZIP members are extracted. The form is
// made once and keeps what the user set in it for the rest of the run. It only gathers the
// user's choices: "OK" checks the folder (offering to make one that does not exist) and
// then runs the caller's extraction while the form stays up and shows how far it got.
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

namespace quillow::ui {

// What the user chose; the folder is a full path with backslashes, and it exists.
struct ExtractChoices {
  std::string folder;
  bool withFolderNames = true;
  bool overwrite = true;
};

// What the form offers the work it runs.
class ExtractProgress {
 public:
  virtual ~ExtractProgress() = default;
  // File `number` of `total` begins.
  virtual void FileStarted(const std::string& name, int number, int total) = 0;
  // Lets the form handle what waits (paint, a click on "Cancel"); false once the user has
  // asked to stop.
  virtual bool KeepGoing() = 0;
};

using ExtractAction = std::function<void(const ExtractChoices&, ExtractProgress&)>;

class TZipOptions : public DialogForm, private ExtractProgress {
 public:
  TZipOptions();

  // Shows the form modally; an accepted "OK" runs `extract` with the choices before the
  // form closes. IDOK when the user accepted, IDCANCEL otherwise.
  int Execute(ExtractAction extract);
  // The choices of the last accepted "OK".
  const ExtractChoices& Choices() const { return choices_; }
  // Null: the form's own BrowseFolder.
  void SetFolderBrowser(ui::FolderBrowser* browser) { browser_ = browser; }

  // Event handlers.
  void Button3Click();
  void Button1Click();
  void Button2Click();

  // Controls, by component name; Progress1 and Progress2 stand where the check boxes are
  // while the extraction runs.
  ui::Label Label3;
  ui::Edit Folder;
  ui::Button Button3;
  ui::CheckBox CheckBox1;
  ui::CheckBox CheckBox2;
  ui::Button Button1;
  ui::Button Button2;
  ui::Label Progress1;
  ui::Label Progress2;
  ui::TBrowseFolder BrowseFolder;

 protected:
  void OnInit() override;
  void OnLayout() override;
  void OnShow() override;
  bool OnOK() override;
  void OnCancel() override;
  bool OnCommand(int id, int code, HWND control) override;
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // The folder as typed, checked; empty when the user must type again (already told why).
  std::string TargetFolder();
  void ShowWorking(bool working);
  void FileStarted(const std::string& name, int number, int total) override;
  bool KeepGoing() override;

  ExtractAction extract_;
  ExtractChoices choices_;
  ui::FolderBrowser* browser_ = nullptr;
  bool extracting_ = false;
  bool stopRequested_ = false;
};

}  // namespace quillow::ui
