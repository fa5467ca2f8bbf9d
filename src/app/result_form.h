// TResultForm: the main window. Two input boxes, "Begin Search", the results list, the
// status bar and every menu; the search runs on a thread of its own and reaches the window
// only through the hand-over.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form_layout.h"
#include "app/main_menu.h"
#include "app/member_extractor.h"
#include "app/member_opener.h"
#include "app/program_title.h"
#include "app/result_list.h"
#include "app/result_printer.h"
#include "app/result_saver.h"
#include "app/scope.h"
#include "app/search_handover.h"
#include "app/search_run.h"
#include "app/search_scope.h"
#include "app/shell_commands.h"
#include "app/ui_task_queue.h"
#include "app/window_settings.h"
#include "output/print_win32.h"
#include "platform/win32/drives.h"
#include "platform/win32/handles.h"
#include "search/types.h"
#include "settings/key_value_store.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "ui/components/constrain.h"
#include "ui/controls/button.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/label.h"
#include "ui/controls/list_view.h"
#include "ui/controls/panel.h"
#include "ui/controls/status_bar.h"
#include "ui/services.h"

namespace quillow::ui {
class TAdvancedOptions;
class TAboutBox;
class TZipOptions;
}  // namespace quillow::ui
namespace quillow::zip {
class TZipComponent;
}  // namespace quillow::zip

namespace quillow::app {

inline constexpr char kBeginSearchCaption[] = "Begin Search";
inline constexpr char kStopSearchCaption[] = "Stop Search";

// What the window asks of the world; every empty member means "the system's own".
struct FormServices {
  ui::MessageBoxes* messages = nullptr;
  ui::Shell* shell = nullptr;
  ui::FolderBrowser* browser = nullptr;  // null: the window's own BrowseFolder
  std::function<platform::DriveTypeTable()> driveTypes;
  std::string programFolder;                         // with its trailing backslash
  settings::KeyValueStore* settingsStore = nullptr;  // null: the current user's registry
  ui::FileDialogs* fileDialogs = nullptr;
  // Tests watch or pace a search by putting a host of their own in front of the hand-over;
  // it must pass every step on.
  std::function<std::unique_ptr<search::SearchHost>(search::SearchHost& handOver)> wrapSearchHost;

  // Printing and the Start-menu commands; empty or null: the system's own.
  output::Printers* printers = nullptr;
  std::string programPath;                      // the executable the link and rows name
  std::function<std::string()> programsFolder;  // where the Start-menu link goes
  HKEY machineRoot = nullptr;                   // roots of the Find-menu rows
  HKEY userRoot = nullptr;
};

// The window is the search's host on the user-interface thread; the search thread reaches
// it through the hand-over, which queues each step for this thread.
class TResultForm final : private search::SearchHost {
 public:
  // Making the window's state: settings records, temporary-file list, program folder and
  // drive types. The window itself comes with Create().
  explicit TResultForm(FormServices services = {});
  ~TResultForm() override;
  TResultForm(const TResultForm&) = delete;
  TResultForm& operator=(const TResultForm&) = delete;

  // Makes the window (hidden) and its controls, then runs FormCreate.
  bool Create();
  // Shows the window (FormShow runs first).
  void Show(int showCommand);
  HWND Handle() const { return hwnd_; }
  // The main window ends the message loop when it is destroyed.
  void SetMainWindow(bool main) { mainWindow_ = main; }
  // Keyboard navigation between the controls; true when it took the message.
  bool PreTranslateMessage(MSG& msg);
  void SetForms(ui::TAdvancedOptions* advanced, ui::TAboutBox* about, ui::TZipOptions* zipOptions);

  // The window's state: every setting that outlives the run, the sort kind (the results
  // list's tag) among them.
  settings::AppSettings Settings;
  const std::vector<search::ResultRow>& Rows() const { return resultList_.Rows(); }
  const std::string& ProgramFolder() const { return programFolder_; }
  const platform::DriveTypeTable& DriveTypes() const { return scope_.DriveTypes(); }
  std::vector<std::string>& TemporaryFiles() { return opener_.TemporaryFiles(); }
  bool Searching() const;
  // A search thread exists that has not ended yet (also before its start-of-search steps).
  bool SearchThreadAlive() const { return searchAlive_; }
  std::string WarningsPath() const;
  // Work for this window from other threads (a search, extraction progress, ...).
  UiTaskQueue& Tasks() { return queue_; }

  // Event handlers.
  void FormCreate();
  void FormShow();
  void FormClose();
  void Exit1Click();
  void BeginSearchClick();
  void FilesChange();
  void FolderChange();
  void FilesKeyPress(wchar_t& key);
  void FolderKeyPress(wchar_t& key);
  void Button1Click();
  void Allavailabledrives1Click();
  void Allremovabledrives2Click();
  void Allnonremovabledrives1Click();
  void Casesensitive1Click();
  void Includesubfolders1Click();
  void Displaycountonly1Click();
  void Showwarnings1Click();
  void ResultsColumnClick(int column);
  void ResultsDblClick();
  void Save1Click();
  void Append1Click();
  void Printresults1Click();
  void PrinterSetup1Click();
  void Extract1Click();
  void Extractselectedfiles1Click();
  void Addicontostartmenu1Click();
  void CreateshortcutinStartMenuFind1Click();
  void InWordformat1Click();
  void Intextformat1Click();
  void AboutQuillow1Click();
  void Advancedoptions1Click();

  // Sorts the whole list by SortType, keeping the selected rows selected.
  void SortResults();

  // Controls, by component name.
  ui::Panel Panel1;
  ui::Label Label1;
  ui::ComboBox Files;
  ui::Label Label2;
  ui::ComboBox Folder;
  ui::Button BeginSearch;
  ui::Button Button1;
  ui::ListView Results;
  ui::StatusBar StatusBar1;
  std::unique_ptr<ui::TConstrain> Constrain1;
  // Made with the window, whose handle it keeps as its owner's.
  std::unique_ptr<zip::TZipComponent> ZipComponent;

  // The Start-menu commands' link component.
  const settings::TProgLink& ProgLink1() const { return shellCommands_.ProgLink1; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK EditSubProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR self);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void ShowException(const char* what);

  // Building (result_form.cpp, result_form_menus.cpp).
  void CreateControls();
  void OnDpiChanged(int dpi, const RECT& suggested);

  // Messages (one handler each).
  void OnCommand(int id, int code);
  void OnComboCommand(int id, int code);
  LRESULT OnNotify(NMHDR* header);
  void OnContextMenu(HWND from, LPARAM at);
  void OnActivate(bool active);
  void OnDestroy();

  // Search scope (result_form_scope.cpp).
  void EnablingRule(const std::string& files, const std::string& folder);
  void KeyPress(wchar_t& key);
  void ApplyDriveSet(DriveSet set);

  // Search steps, on this thread (result_form_search.cpp).
  void RunQueue();
  void Refuse() override;
  std::string LookInText() override;
  std::string FindFilesText() override;
  void ReplaceLookInText(const std::string& quoted) override;
  void RecordHistories(const std::string& findFiles, const std::string& lookIn) override;
  void StartOfSearch() override;
  void ShowElapsed(uint32_t seconds) override;
  void ShowLookingIn(const std::string& folder) override;
  void ShowFoundCount(int32_t found) override;
  void ShowNotSearched(const std::string& text) override;
  void AddRow(search::ResultRow&& row) override;
  void AddRows(std::vector<search::ResultRow>&& rows) override;
  void EndOfSearch(int32_t found) override;
  void OpenWarnings(const std::string& path) override;
  void FinalSort() override;
  // The search thread's body has returned: no step comes after this one.
  void SearchEnded(search::SearchOutcome outcome, const std::string& failure);

  // The queue's wake-up message, and the timer that runs it again while work keeps coming:
  // timer messages come after input and painting, so the user is always answered first.
  static constexpr UINT kQueueMessage = WM_APP + 1;
  static constexpr UINT_PTR kQueueTimer = 1;
  // Rows and status texts are drawn at most this often (milliseconds): ten times a second
  // looks live, and each draw of the list and the status bar costs the window (and the search
  // it shares the processor with) the same whether it brings one row or thousands.
  static constexpr UINT kQueueTimerPeriod = 100;
  bool queueTimerOn_ = false;

  FormServices services_;
  ui::SystemMessageBoxes systemMessages_;
  ui::SystemShell systemShell_;
  ui::MessageBoxes& messages_;
  ui::Shell& shell_;
  ResultSaver saver_;
  ResultPrinter printer_;
  MemberExtractor extractor_;
  MemberOpener opener_;
  SearchScope scope_;
  WindowSettings windowSettings_;
  MainMenu menu_;

  HWND hwnd_ = nullptr;
  bool mainWindow_ = false;
  FormLayout layout_{
      {Panel1, Label1, Files, Label2, Folder, BeginSearch, Button1, Results, StatusBar1}};
  HWND lastFocus_ = nullptr;

  std::string programFolder_;
  std::string startFolder_;  // current when the program started: relative Look-in entries
  ShellCommands shellCommands_;
  bool closed_ = false;  // FormClose has run
  ui::TAdvancedOptions* advancedOptions_ = nullptr;
  ui::TAboutBox* aboutBox_ = nullptr;
  ui::TZipOptions* zipOptions_ = nullptr;

  ResultList resultList_{Results};
  // Declared before the search so that they outlive the search thread.
  UiTaskQueue queue_;
  SearchHandOver handOver_;
  std::unique_ptr<search::SearchHost> wrappedHost_;
  std::unique_ptr<SearchRun> search_;
  bool searchAlive_ = false;
};

}  // namespace quillow::app
