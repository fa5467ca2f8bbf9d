// "Save Results As..." and "Append Results to Text File...": the file dialogs, the format
// decision, and writing the rows in the list's order.
#include "app/result_form.h"
#include "base/separators.h"
#include "output/writers.h"
#include "platform/win32/file_write.h"

namespace quillow::app {

namespace {

constexpr size_t kLargeHtmlRows = 3000;
constexpr char kLargeHtmlQuestion[] =
    "The generated HTML file is very large and your\nweb browser could take a very long time "
    "to load\nit. If your search created thousands of results,\nit is recommended that you "
    "don't save it in HTML\nformat. Do you want to save these results in HTML\nformat anyway?";

// The dialog starts in the remembered folder; only a drive root keeps its backslash.
std::string DialogFolder(std::string path) {
  const bool driveRoot = path.size() == 3 && path[1] == ':' && IsSlash(path[2]);
  if (!driveRoot && !path.empty() && IsSlash(path.back())) path.pop_back();
  return path;
}

// Drive and folder of a chosen file, ending in a backslash.
std::string FolderOf(const std::string& file) {
  const size_t end = file.find_last_of("\\/:");
  if (end == std::string::npos) return std::string();
  std::string folder = file.substr(0, end + 1);
  if (folder.back() == ':') folder += '\\';
  return folder;
}

}  // namespace

void TResultForm::Save1Click() { SaveResults(false); }
void TResultForm::Append1Click() { SaveResults(true); }

void TResultForm::SaveResults(bool append) {
  ui::SaveFileDialog& dialog = append ? SaveDialog2 : SaveDialog1;
  dialog.initialFolder = DialogFolder(Settings.SavePath);
  if (!append) dialog.filterIndex = Settings.FilterIndex;
  if (!fileDialogs_->Save(hwnd_, dialog)) return;

  std::string path = dialog.fileName;
  Settings.SavePath = FolderOf(path);
  bool html = false;
  if (!append) {
    Settings.FilterIndex = static_cast<uint8_t>(dialog.filterIndex);
    html = DecideSaveFormat(path, dialog.filterIndex) == SaveFormat::kHtml;
    if (html && rows_.size() > kLargeHtmlRows &&
        messages_.Show(hwnd_, kLargeHtmlQuestion, "Warning", MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
  }
  if (!WriteResults(path, append, html)) return;
  if (Settings.LaunchViewer) shell_.Open(hwnd_, path, SW_SHOWMAXIMIZED);
}

bool TResultForm::WriteResults(const std::string& path, bool append, bool html) {
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // The layout goes to the file a chunk at a time, so that saving a million rows never
  // holds all their text at once.
  platform::SafeFileWriter file;
  bool ok = file.Open(path, append ? platform::SafeFileWriter::Mode::kAppend
                                   : platform::SafeFileWriter::Mode::kReplace);
  if (ok) {
    std::string chunk;
    TextSink sink(chunk, [&file](std::string_view bytes) { return file.Write(bytes); });
    if (html)
      WriteHtml(rows_, Settings.Columns, Settings.Html, sink);
    else if (Settings.SaveTextWithTabs)
      WriteTextWithTabs(rows_, Settings.Columns, !append, sink);
    else
      WriteTextWithSpaces(rows_, Settings.Columns, sink);
    ok = !sink.failed() && file.Commit();
  }
  SetCursor(old);
  if (!ok) {
    const std::string kept = append ? "\n\nThe file is as it was before."
                                    : "\n\nAny file that was there is as it was before.";
    messages_.Show(hwnd_,
                   "The results could not be written to\n" + path + "\n\n" + file.error() + kept,
                   "Error", MB_OK | MB_ICONERROR);
  }
  return ok;
}

}  // namespace quillow::app
