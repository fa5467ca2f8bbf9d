// What the main window asks of the user and of the shell goes through these interfaces, so
// that tests can answer them; the program uses the real ones.
#pragma once

#include <windows.h>

#include <string>

namespace quillow::ui {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal message box; returns the button pressed (IDOK, IDYES, ...).
  virtual int Show(HWND owner, const std::string& text, const std::string& title, UINT type) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // The "open" verb on `path`; returns the shell's answer (above 32 on success).
  virtual INT_PTR Open(HWND owner, const std::string& path, int showCommand) = 0;
};

// A folder picker with a start folder that receives the folder chosen.
class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;
  virtual std::string Directory() const = 0;
  virtual void SetDirectory(const std::string& directory) = 0;
  // Modal; true when the user confirmed a folder (then in Directory()).
  virtual bool Execute() = 0;
};

// A save-file dialog as the window describes it (a component: it keeps its file name from
// one showing to the next); the user's choice comes back in `fileName` and `filterIndex`.
struct SaveFileDialog {
  std::string title;
  std::string filter;  // pairs of description and pattern, separated by "|"
  DWORD options = 0;   // OFN_ flags
  std::string initialFolder;
  std::string fileName;
  int filterIndex = 1;  // 1-based, as the filter lists them
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Modal; true when the user chose a file.
  virtual bool Save(HWND owner, SaveFileDialog& dialog) = 0;
};

class SystemMessageBoxes final : public MessageBoxes {
 public:
  int Show(HWND owner, const std::string& text, const std::string& title, UINT type) override;
};

class SystemShell final : public Shell {
 public:
  INT_PTR Open(HWND owner, const std::string& path, int showCommand) override;
};

class SystemFileDialogs final : public FileDialogs {
 public:
  bool Save(HWND owner, SaveFileDialog& dialog) override;
};

}  // namespace quillow::ui
