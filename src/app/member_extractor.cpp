#include "app/member_extractor.h"

#include <optional>
#include <string>

#include "app/member_extraction.h"
#include "app/search_handover.h"
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

bool EndsWithZip(const std::string& path) { return base::EndsWithIgnoringAsciiCase(path, ".zip"); }

// The dialog gathers the choices and shows the progress; the status bar shows each file
// too, as it did before the dialog had a place for it.
class StatusProgress final : public ui::ExtractProgress {
 public:
  StatusProgress(ui::StatusBar& status, ui::ExtractProgress& dialog)
      : status_(status), dialog_(dialog) {}
  void FileStarted(const std::string& name, int number, int total) override {
    status_.SetPanelText(kActivityPanel, output::DisplayName(name));
    UpdateWindow(status_.Handle());
    dialog_.FileStarted(output::DisplayName(name), number, total);
  }
  bool KeepGoing() override { return dialog_.KeepGoing(); }

 private:
  ui::StatusBar& status_;
  ui::ExtractProgress& dialog_;
};

}  // namespace

void MemberExtractor::Extract(HWND owner, const std::vector<search::ResultRow>& rows,
                              const std::vector<size_t>& selected, zip::TZipComponent* component,
                              ui::TZipOptions* dialog, ui::StatusBar& status) {
  if (selected.empty()) {
    messages_.Show(owner, kNothingSelected, "Error", MB_OK);
    return;
  }
  if (!component) return;
  zip::TZipComponent& zip = *component;
  zip.FSpecArgs.clear();
  zip.SetZipFilename("");
  for (size_t i : selected) {
    if (i >= rows.size()) continue;
    const search::ResultRow& row = rows[i];
    // A plain file's row names its folder, which ends in a backslash: no ZIP either.
    if (!EndsWithZip(row.container)) {
      messages_.Show(owner, kOnlyZip, "Error", MB_OK);
      return;
    }
    if (zip.ZipFilename().empty()) {
      zip.SetZipFilename(row.container);
    } else if (zip.ZipFilename() != row.container) {
      messages_.Show(owner, kOneArchive, "Sorry", MB_OK);
      return;
    }
    // The name exactly as stored: the library takes it for that member alone, even when it
    // holds '*' or '?'.
    zip.FSpecArgs.push_back(row.file);
  }
  if (!dialog) return;

  const std::string activity = status.PanelText(kActivityPanel);
  const std::vector<std::string> names = zip.FSpecArgs;
  std::optional<ExtractionOutcome> outcome;
  dialog->Execute([&](const ui::ExtractChoices& choices, ui::ExtractProgress& shown) {
    zip.ExtrBaseDir = choices.folder;
    zip.ExtrOptions = {};
    if (choices.withFolderNames) zip.ExtrOptions.Include(zip::ExtrDirNames);
    if (choices.overwrite) zip.ExtrOptions.Include(zip::ExtrOverWrite);
    StatusProgress progress(status, shown);
    outcome = ExtractMembers(zip, names, &progress);
  });
  status.SetPanelText(kActivityPanel, activity);
  if (outcome && !outcome->failures.empty())
    messages_.Show(owner, FailureReport(*outcome), "Warning", MB_OK | MB_ICONWARNING);
}

}  // namespace quillow::app
