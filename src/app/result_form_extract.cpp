// "Extract" and "Extract selected files...": the selected rows must all be members of one
// ZIP archive; the component is loaded with it and their names, then the options dialog
// extracts them.
#include "app/result_form.h"
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

bool EndsWithZip(const std::string& path) {
  if (path.size() < 4) return false;
  const char* ext = ".zip";
  for (size_t i = 0; i < 4; ++i) {
    char c = path[path.size() - 4 + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != ext[i]) return false;
  }
  return true;
}

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
    // The name as the list shows it, which is how the library matches stored names.
    zip.FSpecArgs.push_back(DisplayName(row.file));
  }
  if (!zipOptions_) return;
  const std::string activity = StatusBar1.PanelText(kActivityPanel);
  zipOptions_->SetZipComponent(&zip, [this](const std::string& file) {
    StatusBar1.SetPanelText(kActivityPanel, file);
    // Nothing else is painted while the library works.
    UpdateWindow(StatusBar1.Handle());
  });
  zipOptions_->ShowModal();
  StatusBar1.SetPanelText(kActivityPanel, activity);
}

}  // namespace quillow::app
