#include "app/main_menu.h"

#include <utility>

#include "app/ids.h"
#include "ui/controls/menu.h"

namespace quillow::app {

void MainMenu::Create(HWND window) {
  window_ = window;
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
  SetMenu(window, ResultsMenu);
  EnableOutputCommands(false);

  Menu popup = Menu::Popup();
  popup.Add(id::Extract1, "E&xtract");
  PopupMenu1 = popup.Release();
}

void MainMenu::EnableOutputCommands(bool on) {
  for (int item : {id::Save1, id::Append1, id::Printresults1})
    ui::EnableMenuCommand(ResultsMenu, item, on);
}

void MainMenu::EnableOptionsMenu(bool on) {
  EnableMenuItem(ResultsMenu, id::Options1, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
  DrawMenuBar(window_);
}

void MainMenu::SetOptionChecks(const settings::AppSettings& settings) {
  ui::CheckMenuCommand(ResultsMenu, id::Casesensitive1, settings.Options.CaseSensitive != 0);
  ui::CheckMenuCommand(ResultsMenu, id::Includesubfolders1, settings.Options.SubFolders != 0);
  ui::CheckMenuCommand(ResultsMenu, id::Displaycountonly1, settings.Options.CountOnly != 0);
  ui::CheckMenuCommand(ResultsMenu, id::Showwarnings1, settings.Options.ShowWarnings != 0);
}

bool MainMenu::ToggleOption(int commandId) {
  const bool on = !ui::MenuCommandChecked(ResultsMenu, commandId);
  ui::CheckMenuCommand(ResultsMenu, commandId, on);
  return on;
}

void MainMenu::TrackPopup(POINT at) const {
  TrackPopupMenu(PopupMenu1.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window_,
                 nullptr);
}

}  // namespace quillow::app
