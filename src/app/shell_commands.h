// The commands that reach outside the program: a shortcut in the Start menu's Programs
// folder, the Find-menu rows in the registry, and the two manuals beside the executable.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "settings/prog_link.h"
#include "ui/services.h"

namespace quillow::app {

// Where the commands write; every empty member means "the system's own".
struct ShellPlaces {
  std::string programFolder;                    // with its trailing backslash: the manuals
  std::string programPath;                      // the executable the link and rows name
  std::function<std::string()> programsFolder;  // where the Start-menu link goes
  HKEY machineRoot = nullptr;                   // roots of the Find-menu rows
  HKEY userRoot = nullptr;
};

class ShellCommands {
 public:
  ShellCommands(ShellPlaces places, ui::MessageBoxes& messages, ui::Shell& shell);
  ShellCommands(const ShellCommands&) = delete;
  ShellCommands& operator=(const ShellCommands&) = delete;

  // Writes the Programs shortcut and says when the icon will show, or that it could not.
  void AddProgramsShortcut(HWND owner);
  // Writes the rows that put the program in the Find menu; a failure is shown.
  void AddFindMenuRows(HWND owner);
  void OpenHtmlManual(HWND owner);
  void OpenTextManual(HWND owner);

  // The component, by its name.
  settings::TProgLink ProgLink1;

 private:
  // Full path of the program's executable.
  std::string ProgramPath() const;
  void OpenManual(HWND owner, const char* fileName, const char* failure);

  ShellPlaces places_;
  ui::MessageBoxes& messages_;
  ui::Shell& shell_;
};

}  // namespace quillow::app
