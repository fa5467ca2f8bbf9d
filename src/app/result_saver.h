// "Save Results As..." and "Append Results to Text File...": the two file dialogs, the
// choice between text and HTML, and writing the rows in the list's order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "search/types.h"
#include "settings/settings.h"
#include "ui/services.h"

namespace quillow::app {

class ResultSaver {
 public:
  // `dialogs` null: the system's own.
  ResultSaver(ui::FileDialogs* dialogs, ui::MessageBoxes& messages, ui::Shell& shell);
  ResultSaver(const ResultSaver&) = delete;
  ResultSaver& operator=(const ResultSaver&) = delete;

  // Asks for the file, writes `rows` to it (appended as text when `append`) and opens it
  // when the settings say so. The chosen folder and filter are remembered in `settings`.
  void Save(HWND owner, const std::vector<search::ResultRow>& rows, settings::AppSettings& settings,
            bool append);

  // The components, kept from one showing to the next.
  ui::SaveFileDialog SaveDialog1, SaveDialog2;

 private:
  bool Write(HWND owner, const std::vector<search::ResultRow>& rows,
             const settings::AppSettings& settings, const std::string& path, bool append,
             bool html);

  ui::SystemFileDialogs systemDialogs_;
  ui::FileDialogs& dialogs_;
  ui::MessageBoxes& messages_;
  ui::Shell& shell_;
};

}  // namespace quillow::app
