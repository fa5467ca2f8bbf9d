// The main window's printing, Start-menu and manual commands.
#include <windows.h>

#include <string>

#include "app/print_progress.h"
#include "app/result_form.h"
#include "output/print_win32.h"
#include "platform/fs.h"
#include "platform/win32/text.h"
#include "settings/find_registration.h"
#include "settings/find_registration_win32.h"

namespace quillow::app {

namespace {

constexpr char kNoPrinter[] =
    "The print job could not start: no printer is installed. Install a printer, then print "
    "again.";
constexpr char kLinkMessage[] = "The icon will appear next time\nyou start your computer.";

}  // namespace

std::string TResultForm::ProgramPath() const {
  if (!services_.programPath.empty()) return services_.programPath;
  return platform::ExecutablePath();
}

Printers& TResultForm::PrinterChoice() {
  return services_.printers ? *services_.printers : systemPrinters_;
}

void TResultForm::Printresults1Click() {
  if (messages_.Show(hwnd_, kPrintQuestion, "", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  HDC dc = PrinterChoice().CreatePrinterDC();
  if (!dc) {
    messages_.Show(hwnd_, kNoPrinter, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  std::string error;
  {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    // A job of more than one page shows how far it is and can be cancelled.
    std::unique_ptr<PrintProgress> progress;
    auto pageStart = [&](size_t page, size_t pages) {
      if (pages < 2) return true;
      if (!progress) progress = std::make_unique<PrintProgress>(hwnd_, dpi_, font_.get());
      return progress->Page(page, pages);
    };
    std::unique_ptr<PrintDevice> device = PrinterChoice().MakeDevice(dc);
    error = RunPrintJob(*device, rows_, pageStart);
    device.reset();
    progress.reset();
    SetCursor(old);
  }
  DeleteDC(dc);
  if (!error.empty()) messages_.Show(hwnd_, error, "Error", MB_OK | MB_ICONERROR);
}

void TResultForm::PrinterSetup1Click() { PrinterChoice().Setup(hwnd_); }

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
