// The main window's commands: menu items and buttons, each routed to its handler, and the
// handlers that hand the work to the feature's own class.
#include <windows.h>

#include <commctrl.h>

#include "app/ids.h"
#include "app/result_form.h"

namespace quillow::app {

namespace {

using Handler = void (TResultForm::*)();

struct CommandRoute {
  int id;
  Handler handler;
};

// Menu commands and button clicks, each to its handler.
constexpr CommandRoute kRoutes[] = {
    {id::Save1, &TResultForm::Save1Click},
    {id::Append1, &TResultForm::Append1Click},
    {id::Extractselectedfiles1, &TResultForm::Extractselectedfiles1Click},
    {id::Printresults1, &TResultForm::Printresults1Click},
    {id::PrinterSetup1, &TResultForm::PrinterSetup1Click},
    {id::Exit1, &TResultForm::Exit1Click},
    {id::Casesensitive1, &TResultForm::Casesensitive1Click},
    {id::Includesubfolders1, &TResultForm::Includesubfolders1Click},
    {id::Displaycountonly1, &TResultForm::Displaycountonly1Click},
    {id::Showwarnings1, &TResultForm::Showwarnings1Click},
    {id::Advancedoptions1, &TResultForm::Advancedoptions1Click},
    {id::Addicontostartmenu1, &TResultForm::Addicontostartmenu1Click},
    {id::CreateshortcutinStartMenuFind1, &TResultForm::CreateshortcutinStartMenuFind1Click},
    {id::Allavailabledrives1, &TResultForm::Allavailabledrives1Click},
    {id::Allremovabledrives2, &TResultForm::Allremovabledrives2Click},
    {id::Allnonremovabledrives1, &TResultForm::Allnonremovabledrives1Click},
    {id::InWordformat1, &TResultForm::InWordformat1Click},
    {id::Intextformat1, &TResultForm::Intextformat1Click},
    {id::AboutQuillow1, &TResultForm::AboutQuillow1Click},
    {id::Extract1, &TResultForm::Extract1Click},
    {id::BeginSearch, &TResultForm::BeginSearchClick},
    {id::Button1, &TResultForm::Button1Click},
};

}  // namespace

void TResultForm::OnCommand(int id, int code) {
  if (id == id::Files || id == id::Folder) {
    OnComboCommand(id, code);
    return;
  }
  // Enter on a focused button: this window is no dialog, so its buttons never become the
  // default one, and the dialog manager reports Enter as IDOK instead of as their click.
  if (id == IDOK) {
    const HWND focus = GetFocus();
    if (focus != BeginSearch.Handle() && focus != Button1.Handle()) return;
    id = GetDlgCtrlID(focus);
    code = BN_CLICKED;
  }
  // Buttons report clicks; menus report code 0 (accelerators 1): both are a "click".
  if (code != BN_CLICKED && code != 1) return;
  for (const CommandRoute& route : kRoutes) {
    if (route.id == id) {
      (this->*route.handler)();
      return;
    }
  }
}

// The output and shell commands: each feature's work is in the file named after its class.
void TResultForm::Save1Click() { saver_.Save(hwnd_, resultList_.Rows(), Settings, false); }
void TResultForm::Append1Click() { saver_.Save(hwnd_, resultList_.Rows(), Settings, true); }
void TResultForm::Printresults1Click() {
  printer_.Print(hwnd_, layout_.Dpi(), layout_.Font(), resultList_.Rows());
}
void TResultForm::PrinterSetup1Click() { printer_.Setup(hwnd_); }

void TResultForm::Extract1Click() {
  extractor_.Extract(hwnd_, resultList_.Rows(), Results.SelectedRows(), ZipComponent.get(),
                     zipOptions_, StatusBar1);
}
// Both extraction commands run one handler.
void TResultForm::Extractselectedfiles1Click() { Extract1Click(); }

void TResultForm::Addicontostartmenu1Click() { shellCommands_.AddProgramsShortcut(hwnd_); }
void TResultForm::CreateshortcutinStartMenuFind1Click() { shellCommands_.AddFindMenuRows(hwnd_); }
void TResultForm::InWordformat1Click() { shellCommands_.OpenHtmlManual(hwnd_); }
void TResultForm::Intextformat1Click() { shellCommands_.OpenTextManual(hwnd_); }

}  // namespace quillow::app
