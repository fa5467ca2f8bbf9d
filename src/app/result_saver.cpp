#include "app/result_saver.h"

#include <commdlg.h>

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
  const bool driveRoot = path.size() == 3 && path[1] == ':' && base::IsSlash(path[2]);
  if (!driveRoot && !path.empty() && base::IsSlash(path.back())) path.pop_back();
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

ResultSaver::ResultSaver(ui::FileDialogs* dialogs, ui::MessageBoxes& messages, ui::Shell& shell)
    : dialogs_(dialogs ? *dialogs : systemDialogs_), messages_(messages), shell_(shell) {
  SaveDialog1.title = "Save Search Results As...";
  SaveDialog1.filter = "Text files (*.txt)|*.txt|HTML files (*.html *.htm)|*.html;*.htm";
  SaveDialog1.options =
      OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;
  SaveDialog2.title = "Append Results to Text File...";
  SaveDialog2.filter = "Text files (*.txt)|*.txt";
  SaveDialog2.options = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN;
}

void ResultSaver::Save(HWND owner, const std::vector<search::ResultRow>& rows,
                       settings::AppSettings& settings, bool append) {
  ui::SaveFileDialog& dialog = append ? SaveDialog2 : SaveDialog1;
  dialog.initialFolder = DialogFolder(settings.SavePath);
  if (!append) dialog.filterIndex = settings.FilterIndex;
  if (!dialogs_.Save(owner, dialog)) return;

  std::string path = dialog.fileName;
  settings.SavePath = FolderOf(path);
  bool html = false;
  if (!append) {
    settings.FilterIndex = static_cast<uint8_t>(dialog.filterIndex);
    html = output::DecideSaveFormat(path, dialog.filterIndex) == output::SaveFormat::kHtml;
    if (html && rows.size() > kLargeHtmlRows &&
        messages_.Show(owner, kLargeHtmlQuestion, "Warning", MB_YESNO | MB_ICONWARNING) != IDYES)
      return;
  }
  if (!Write(owner, rows, settings, path, append, html)) return;
  if (settings.LaunchViewer) shell_.Open(owner, path, SW_SHOWMAXIMIZED);
}

bool ResultSaver::Write(HWND owner, const std::vector<search::ResultRow>& rows,
                        const settings::AppSettings& settings, const std::string& path, bool append,
                        bool html) {
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // The layout goes to the file a chunk at a time, so that saving a million rows never
  // holds all their text at once.
  platform::SafeFileWriter file;
  bool ok = file.Open(path, append ? platform::SafeFileWriter::Mode::kAppend
                                   : platform::SafeFileWriter::Mode::kReplace);
  if (ok) {
    std::string chunk;
    output::TextSink sink(chunk, [&file](std::string_view bytes) { return file.Write(bytes); });
    if (html)
      output::WriteHtml(rows, settings.Columns, settings.Html, sink);
    else if (settings.SaveTextWithTabs)
      output::WriteTextWithTabs(rows, settings.Columns, !append, sink);
    else
      output::WriteTextWithSpaces(rows, settings.Columns, sink);
    ok = !sink.failed() && file.Commit();
  }
  SetCursor(old);
  if (!ok) {
    const std::string kept = append ? "\n\nThe file is as it was before."
                                    : "\n\nAny file that was there is as it was before.";
    messages_.Show(owner,
                   "The results could not be written to\n" + path + "\n\n" + file.error() + kept,
                   "Error", MB_OK | MB_ICONERROR);
  }
  return ok;
}

}  // namespace quillow::app
