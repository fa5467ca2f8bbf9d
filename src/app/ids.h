// Control and menu identifiers of the main window, named after their components.
#pragma once

namespace quillow::app::id {

// Controls. None uses IDOK (1) or IDCANCEL (2): the dialog manager sends those on Enter and
// Escape, and they must not look like a click on a control.
enum Control : int {
  Panel1 = 100,
  Label1,
  Files,
  Label2,
  Folder,
  BeginSearch,
  Button1,
  Results,
  StatusBar1,
};

// Menu commands.
enum Command : int {
  Save1 = 200,
  Append1,
  Extractselectedfiles1,
  Printresults1,
  PrinterSetup1,
  Exit1,
  Casesensitive1,
  Includesubfolders1,
  Displaycountonly1,
  Showwarnings1,
  Advancedoptions1,
  Addicontostartmenu1,
  CreateshortcutinStartMenuFind1,
  Allavailabledrives1,
  Allremovabledrives2,
  Allnonremovabledrives1,
  InWordformat1,
  Intextformat1,
  AboutQuillow1,
  Extract1,
};

// Positions of the menu bar's submenus.
enum MenuPosition : int { File1 = 0, Options1 = 1, Search1 = 2, Help1 = 3 };

}  // namespace quillow::app::id
