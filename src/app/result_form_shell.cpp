// The main window's Start-menu and manual commands.
#include <windows.h>

#include <string>

#include "app/result_form.h"
#include "platform/fs.h"
#include "platform/win32/text.h"
#include "settings/find_registration.h"
#include "settings/find_registration_win32.h"

namespace quillow::app {

namespace {

constexpr char kLinkMessage[] = "The icon will appear next time\nyou start your computer.";

}  // namespace

std::string TResultForm::ProgramPath() const {
  if (!services_.programPath.empty()) return services_.programPath;
  return platform::ExecutablePath();
}

void TResultForm::Addicontostartmenu1Click() {
  ProgLink1.LinkName = "Quillow.lnk";
  ProgLink1.SourceName = ProgramPath();
  if (services_.programsFolder) ProgLink1.ProgramsFolder = services_.programsFolder;
  // Telling the user to wait for an icon that was never written would send them looking
  // for it in vain.
  if (!ProgLink1.MakeLink()) {
    messages_.Show(hwnd_, "Could not create the shortcut \"" + ProgLink1.LinkPath() + "\".",
                   "Error", MB_OK | MB_ICONERROR);
    return;
  }
  messages_.Show(hwnd_, kLinkMessage, "", MB_OK);
}

void TResultForm::CreateshortcutinStartMenuFind1Click() {
  const std::string error = settings::WriteRegistryRows(
      settings::FindRegistrationRows(ProgramPath()),
      services_.machineRoot ? services_.machineRoot : HKEY_LOCAL_MACHINE,
      services_.userRoot ? services_.userRoot : HKEY_CURRENT_USER);
  if (!error.empty()) ShowException(error.c_str());
}

void TResultForm::OpenManual(const char* fileName, const char* failure) {
  // Beside the executable, wherever the program was started from.
  if (shell_.Open(hwnd_, programFolder_ + fileName, SW_SHOWMAXIMIZED) <= 32)
    messages_.Show(hwnd_, failure, "Error", MB_OK | MB_ICONERROR);
}

void TResultForm::InWordformat1Click() {
  OpenManual("manual.htm", "Could not open manual HTML file.");
}

void TResultForm::Intextformat1Click() {
  OpenManual("manual.txt", "Could not open manual text file.");
}

}  // namespace quillow::app
