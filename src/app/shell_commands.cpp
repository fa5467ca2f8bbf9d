#include "app/shell_commands.h"

#include <utility>

#include "app/program_title.h"
#include "platform/fs.h"
#include "settings/find_registration.h"
#include "settings/find_registration_win32.h"

namespace quillow::app {

namespace {

constexpr char kLinkMessage[] = "The icon will appear next time\nyou start your computer.";

}  // namespace

ShellCommands::ShellCommands(ShellPlaces places, ui::MessageBoxes& messages, ui::Shell& shell)
    : places_(std::move(places)), messages_(messages), shell_(shell) {}

std::string ShellCommands::ProgramPath() const {
  if (!places_.programPath.empty()) return places_.programPath;
  return platform::ExecutablePath();
}

void ShellCommands::AddProgramsShortcut(HWND owner) {
  ProgLink1.LinkName = "Quillow.lnk";
  ProgLink1.SourceName = ProgramPath();
  if (places_.programsFolder) ProgLink1.ProgramsFolder = places_.programsFolder;
  // Telling the user to wait for an icon that was never written would send them looking
  // for it in vain.
  if (!ProgLink1.MakeLink()) {
    messages_.Show(owner, "Could not create the shortcut \"" + ProgLink1.LinkPath() + "\".",
                   "Error", MB_OK | MB_ICONERROR);
    return;
  }
  messages_.Show(owner, kLinkMessage, "", MB_OK);
}

void ShellCommands::AddFindMenuRows(HWND owner) {
  const std::string error =
      settings::WriteRegistryRows(settings::FindRegistrationRows(ProgramPath()),
                                  places_.machineRoot ? places_.machineRoot : HKEY_LOCAL_MACHINE,
                                  places_.userRoot ? places_.userRoot : HKEY_CURRENT_USER);
  // Titled like any other failure the window reports.
  if (!error.empty()) messages_.Show(owner, error, kProgramTitle, MB_OK | MB_ICONERROR);
}

void ShellCommands::OpenManual(HWND owner, const char* fileName, const char* failure) {
  // Beside the executable, wherever the program was started from.
  if (shell_.Open(owner, places_.programFolder + fileName, SW_SHOWMAXIMIZED) <= 32)
    messages_.Show(owner, failure, "Error", MB_OK | MB_ICONERROR);
}

void ShellCommands::OpenHtmlManual(HWND owner) {
  OpenManual(owner, "manual.htm", "Could not open manual HTML file.");
}

void ShellCommands::OpenTextManual(HWND owner) {
  OpenManual(owner, "manual.txt", "Could not open manual text file.");
}

}  // namespace quillow::app
