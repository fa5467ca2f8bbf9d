// The main window's menus: the tree, the routing of commands, the enabling rules, and the
// commands whose work comes with later parts of the program.
#include <windows.h>

#include <commctrl.h>

#include "app/ids.h"
#include "app/result_form.h"
#include "ui/controls/menu.h"

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

void TResultForm::CreateMenus() {
  using ui::Menu;
  Menu file = Menu::Popup();
  file.Add(id::Save1, "&Save Results As...")
      .Add(id::Append1, "&Append Results to Text File...")
      .Add(id::Extractselectedfiles1, "&Extract selected files...")
      .AddSeparator()
      .Add(id::Printresults1, "&Print Results")
      .Add(id::PrinterSetup1, "P&rinter Setup...")
      .AddSeparator()
      .Add(id::Exit1, "E&xit");
  Menu options = Menu::Popup();
  options.Add(id::Casesensitive1, "&Case sensitive")
      .Add(id::Includesubfolders1, "Include &subfolders")
      .Add(id::Displaycountonly1, "Display count &only")
      .Add(id::Showwarnings1, "Show &warnings")
      .Add(id::Advancedoptions1, "&Advanced options...")
      .AddSeparator()
      .Add(id::Addicontostartmenu1, "Create shortcut in Start Menu | &Programs")
      .Add(id::CreateshortcutinStartMenuFind1, "Create shortcut in Start Menu | &Find");
  Menu search = Menu::Popup();
  search.Add(id::Allavailabledrives1, "&All drives")
      .Add(id::Allremovabledrives2, "All &removable drives")
      .Add(id::Allnonremovabledrives1, "All &non-removable drives");
  Menu help = Menu::Popup();
  help.Add(id::InWordformat1, "In &HTML format")
      .Add(id::Intextformat1, "In &text format")
      .AddSeparator()
      .Add(id::AboutQuillow1, "&About Quillow...");
  Menu bar = Menu::Bar();
  bar.AddSubmenu("&File", std::move(file))
      .AddSubmenu("&Options", std::move(options))
      .AddSubmenu("&Search", std::move(search))
      .AddSubmenu("&Help", std::move(help));
  // The window destroys its menu bar with itself.
  ResultsMenu = bar.Release().release();
  SetMenu(hwnd_, ResultsMenu);
  EnableOutputCommands(false);

  Menu popup = Menu::Popup();
  popup.Add(id::Extract1, "E&xtract");
  PopupMenu1 = popup.Release();
}

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

void TResultForm::EnableOutputCommands(bool on) {
  for (int item : {id::Save1, id::Append1, id::Printresults1})
    ui::EnableMenuCommand(ResultsMenu, item, on);
}

void TResultForm::EnableOptionsMenu(bool on) {
  EnableMenuItem(ResultsMenu, id::Options1, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
  DrawMenuBar(hwnd_);
}

void TResultForm::SetOptionChecks() {
  ui::CheckMenuCommand(ResultsMenu, id::Casesensitive1, Settings.Options.CaseSensitive != 0);
  ui::CheckMenuCommand(ResultsMenu, id::Includesubfolders1, Settings.Options.SubFolders != 0);
  ui::CheckMenuCommand(ResultsMenu, id::Displaycountonly1, Settings.Options.CountOnly != 0);
  ui::CheckMenuCommand(ResultsMenu, id::Showwarnings1, Settings.Options.ShowWarnings != 0);
}

// The output and shell commands: each feature's work is in the file named after its class.
void TResultForm::Save1Click() { saver_.Save(hwnd_, resultList_.Rows(), Settings, false); }
void TResultForm::Append1Click() { saver_.Save(hwnd_, resultList_.Rows(), Settings, true); }
void TResultForm::Printresults1Click() {
  printer_.Print(hwnd_, dpi_, font_.get(), resultList_.Rows());
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
