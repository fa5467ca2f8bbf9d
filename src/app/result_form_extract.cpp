// "Extract" and "Extract selected files...": the selected rows must all be members of one
// ZIP archive; the component is loaded with it and their names, the options dialog asks
// where and how, and the window extracts them and says what was left out.
#include <optional>

#include "app/member_extraction.h"
#include "app/result_form.h"
#include "base/ascii.h"
#include "output/display_text.h"
#include "ui/dialogs/zipext/zipext.h"
#include "zip/component/zip_component.h"

namespace quillow::app {

namespace {

constexpr char kNothingSelected[] = "You must select at least\none file to extract.";
constexpr char kOnlyZip[] =
    "This version of Quillow can only\nextract from ZIP files. Try double-clicking\non one of "
    "the selected files instead.\nIf there is a program associated with\nthat type of archive, "
    "Quillow will launch it.";
constexpr char kOneArchive[] = "You must extract files from\nonly one ZIP archive at a time.";

bool EndsWithZip(const std::string& path) { return EndsWithIgnoringAsciiCase(path, ".zip"); }

}  // namespace

void TResultForm::Extract1Click() {
  const std::vector<size_t> selected = Results.SelectedRows();  // in display order
  if (selected.empty()) {
    messages_.Show(hwnd_, kNothingSelected, "Error", MB_OK);
    return;
  }
  if (!ZipComponent) return;
  zip::TZipComponent& zip = *ZipComponent;
  zip.FSpecArgs.clear();
  zip.SetZipFilename("");
  for (size_t i : selected) {
    if (i >= rows_.size()) continue;
    const ResultRow& row = rows_[i];
    // A plain file's row names its folder, which ends in a backslash: no ZIP either.
    if (!EndsWithZip(row.container)) {
      messages_.Show(hwnd_, kOnlyZip, "Error", MB_OK);
      return;
    }
    if (zip.ZipFilename().empty()) {
      zip.SetZipFilename(row.container);
    } else if (zip.ZipFilename() != row.container) {
      messages_.Show(hwnd_, kOneArchive, "Sorry", MB_OK);
      return;
    }
    // The name exactly as stored: the library takes it for that member alone, even when it
    // holds '*' or '?'.
    zip.FSpecArgs.push_back(row.file);
  }
  if (!zipOptions_) return;

  // The dialog gathers the choices and shows the progress; the status bar shows each file
  // too, as it did before the dialog had a place for it.
  class Progress final : public ui::ExtractProgress {
   public:
    Progress(TResultForm& form, ui::ExtractProgress& dialog) : form_(form), dialog_(dialog) {}
    void FileStarted(const std::string& name, int number, int total) override {
      form_.StatusBar1.SetPanelText(kActivityPanel, DisplayName(name));
      UpdateWindow(form_.StatusBar1.Handle());
      dialog_.FileStarted(DisplayName(name), number, total);
    }
    bool KeepGoing() override { return dialog_.KeepGoing(); }

   private:
    TResultForm& form_;
    ui::ExtractProgress& dialog_;
  };
  const std::string activity = StatusBar1.PanelText(kActivityPanel);
  const std::vector<std::string> names = zip.FSpecArgs;
  std::optional<ExtractionOutcome> outcome;
  zipOptions_->Execute([&](const ui::ExtractChoices& choices, ui::ExtractProgress& dialog) {
    zip.ExtrBaseDir = choices.folder;
    zip.ExtrOptions = {};
    if (choices.withFolderNames) zip.ExtrOptions.Include(zip::ExtrDirNames);
    if (choices.overwrite) zip.ExtrOptions.Include(zip::ExtrOverWrite);
    Progress progress(*this, dialog);
    outcome = ExtractMembers(zip, names, &progress);
  });
  StatusBar1.SetPanelText(kActivityPanel, activity);
  if (outcome && !outcome->failures.empty())
    messages_.Show(hwnd_, FailureReport(*outcome), "Warning", MB_OK | MB_ICONWARNING);
}

}  // namespace quillow::app
