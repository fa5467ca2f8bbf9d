// The main window as it first appears: controls, menus, columns, status bar, minimum size.
#include "app/application.h"
#include "gui_test_util.h"
#include "ui/components/constrain.h"
#include "ui/controls/menu.h"

namespace quillow::test {
namespace {

class MainWindowTest : public FormTest {};

TEST_F(MainWindowTest, FirstStartState) {
  MakeForm();
  EXPECT_EQ(TextOf(form()), "Quillow");
  EXPECT_EQ(Caption(), "Begin Search");
  EXPECT_FALSE(IsWindowEnabled(Control(id::BeginSearch)));
  EXPECT_EQ(TextOf(Control(id::Folder)), "C:\\");
  EXPECT_EQ(TextOf(Control(id::Files)), "");
  EXPECT_EQ(TextOf(Control(id::Button1)), "Browse...");
  EXPECT_EQ(TextOf(Control(id::Label1)), "Find files named:");
  EXPECT_EQ(TextOf(Control(id::Label2)), "Look in:");

  HMENU menu = GetMenu(form());
  for (int item : {id::Save1, id::Append1, id::Printresults1})
    EXPECT_FALSE(ui::MenuCommandEnabled(menu, item)) << item;
  for (int item : {id::Extractselectedfiles1, id::PrinterSetup1, id::Exit1, id::Advancedoptions1,
                   id::Allavailabledrives1, id::AboutQuillow1})
    EXPECT_TRUE(ui::MenuCommandEnabled(menu, item)) << item;
  // Fresh-start options: with subfolders and warnings, case-insensitive, full listing.
  EXPECT_FALSE(ui::MenuCommandChecked(menu, id::Casesensitive1));
  EXPECT_TRUE(ui::MenuCommandChecked(menu, id::Includesubfolders1));
  EXPECT_FALSE(ui::MenuCommandChecked(menu, id::Displaycountonly1));
  EXPECT_TRUE(ui::MenuCommandChecked(menu, id::Showwarnings1));
  EXPECT_EQ(form_->Settings.SortType, 0);
  for (uint8_t on : form_->Settings.ArchiveTypes.on) EXPECT_NE(on, 0);
  EXPECT_EQ(form_->ProgramFolder().back(), '\\');
}

// The items as the menu holds them, by position: each reaches its own handler.
TEST_F(MainWindowTest, MenuItemsReachTheirHandlers) {
  platform::DriveTypeTable types;
  types.fill(platform::kDriveNoRoot);
  types[0] = platform::kDriveRemovable;
  types[2] = platform::kDriveFixed;
  MakeForm([&] { return types; });
  HMENU bar = GetMenu(form());
  auto item = [&](int menu, int position) {
    return static_cast<int>(GetMenuItemID(GetSubMenu(bar, menu), position));
  };
  // Options: the four toggles, each its own flag and check mark.
  uint8_t* flags[] = {&form_->Settings.Options.CaseSensitive, &form_->Settings.Options.SubFolders,
                      &form_->Settings.Options.CountOnly, &form_->Settings.Options.ShowWarnings};
  for (int i = 0; i < 4; ++i) {
    bool before[4];
    for (int j = 0; j < 4; ++j) before[j] = *flags[j] != 0;
    Command(form(), item(id::Options1, i));
    for (int j = 0; j < 4; ++j) EXPECT_EQ(*flags[j] != 0, before[j] != (j == i)) << i << " " << j;
    EXPECT_EQ(ui::MenuCommandChecked(bar, item(id::Options1, i)), *flags[i] != 0) << i;
  }
  // Search: the three drive sets.
  const char* sets[] = {"A:\\ C:\\", "A:\\", "C:\\"};
  for (int i = 0; i < 3; ++i) {
    Command(form(), item(id::Search1, i));
    EXPECT_EQ(TextOf(Control(id::Folder)), sets[i]) << i;
  }
  // File: Exit closes the window.
  Command(form(), item(id::File1, 7));
  EXPECT_TRUE(PumpUntil([&] { return form_->Handle() == nullptr; }, std::chrono::seconds(10)));
}

TEST_F(MainWindowTest, TabGoesThroughTheBoxesAndButtonsInOrder) {
  MakeForm();
  TypeInto(Control(id::Files), "*.txt");  // "Begin Search" takes the focus only when enabled
  HWND order[] = {Control(id::Files), Control(id::Folder), Control(id::BeginSearch),
                  Control(id::Button1), Control(id::Results)};
  // The combo box's edit is what takes the focus; its parent is the combo box.
  auto owner = [](HWND h) { return GetDlgCtrlID(h) == 1001 ? GetParent(h) : h; };
  HWND at = GetNextDlgTabItem(form(), Control(id::Results), FALSE);
  for (HWND expected : order) {
    EXPECT_EQ(owner(at), expected);
    at = GetNextDlgTabItem(form(), at, FALSE);
  }
}

TEST_F(MainWindowTest, ListColumnsAndStatusPanels) {
  MakeForm();
  HWND list = Control(id::Results);
  // The sort reads these captions back: they must be exact.
  const char* captions[] = {"File", "Archive/Folder", "Modified", "Size", "Ratio", "Packed"};
  ASSERT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 6);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(form_->Results.ColumnCaption(c), captions[c]);
  EXPECT_EQ(ListView_GetColumnWidth(list, 1), 180);
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  EXPECT_TRUE(style & LVS_OWNERDATA);
  EXPECT_TRUE(style & LVS_REPORT);
  EXPECT_FALSE(style & LVS_SINGLESEL);
  EXPECT_FALSE(style & LVS_EDITLABELS);

  HWND status = Control(id::StatusBar1);
  int edges[4] = {};
  ASSERT_EQ(SendMessageW(status, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(edges[0], 100);
  EXPECT_EQ(edges[1], 160);
  EXPECT_EQ(edges[2], -1);

  // The list fills the space between the panel and the status bar.
  RECT listRect{}, statusRect{}, panelRect{};
  GetWindowRect(list, &listRect);
  GetWindowRect(status, &statusRect);
  GetWindowRect(Control(id::Panel1), &panelRect);
  EXPECT_EQ(panelRect.bottom - panelRect.top, 57);
  EXPECT_EQ(listRect.top, panelRect.bottom);
  EXPECT_EQ(listRect.bottom, statusRect.top);
  EXPECT_GT(statusRect.bottom - statusRect.top, 10);
  EXPECT_TRUE(IsWindowVisible(status));
}

TEST_F(MainWindowTest, WindowCannotBeMadeSmallerThanItsMinimum) {
  MakeForm();
  SetWindowPos(form(), nullptr, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  RECT r{};
  GetWindowRect(form(), &r);
  EXPECT_EQ(r.right - r.left, 436);
  EXPECT_EQ(r.bottom - r.top, 152);

  // The query itself: only the minimum tracking size is set, the rest stays the system's.
  MINMAXINFO info{};
  info.ptMaxSize = {1111, 2222};
  info.ptMaxPosition = {-3, -4};
  info.ptMaxTrackSize = {5555, 6666};
  SendMessageW(form(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 436);
  EXPECT_EQ(info.ptMinTrackSize.y, 152);
  EXPECT_EQ(info.ptMaxSize.x, 1111);
  EXPECT_EQ(info.ptMaxPosition.y, -4);
  EXPECT_EQ(info.ptMaxTrackSize.y, 6666);
}

TEST(ConstrainTest, EveryNonZeroValueGoesToItsOwnField) {
  ui::ConstrainValues v;
  v.MaximizedWidth = 1;
  v.MaximizedHeight = 2;
  v.MaximizedLeft = 3;
  v.MaximizedTop = 4;
  v.MaxWidth = 7;
  MINMAXINFO info{};
  info.ptMinTrackSize = {50, 60};
  info.ptMaxTrackSize = {70, 80};
  ui::ApplyConstrain(v, info);
  EXPECT_EQ(info.ptMaxSize.x, 1);
  EXPECT_EQ(info.ptMaxSize.y, 2);
  EXPECT_EQ(info.ptMaxPosition.x, 3);
  EXPECT_EQ(info.ptMaxPosition.y, 4);
  EXPECT_EQ(info.ptMinTrackSize.x, 50);  // 0: left alone
  EXPECT_EQ(info.ptMinTrackSize.y, 60);
  EXPECT_EQ(info.ptMaxTrackSize.x, 7);
  EXPECT_EQ(info.ptMaxTrackSize.y, 80);
}

}  // namespace
}  // namespace quillow::test

namespace quillow::test {
namespace {

HWND aboutBox, owner;
bool ownerDisabled, shown;

void CALLBACK InsideModalLoop(HWND, UINT, UINT_PTR, DWORD) {
  ownerDisabled = !IsWindowEnabled(owner);
  shown = IsWindowVisible(aboutBox) != FALSE;
  PostMessageW(aboutBox, WM_COMMAND, IDCANCEL, 0);
}

TEST(ApplicationTest, MakesTheFourFormsAndRunsUntilTheMainWindowCloses) {
  FakeMessageBoxes messages;
  FakeShell shell;
  TempFolder home;
  app::FormServices services;
  services.messages = &messages;
  services.shell = &shell;
  services.programFolder = home.Root() + "\\";
  app::Application application(services);
  application.SetTitle("Quillow");
  ASSERT_TRUE(application.CreateForms());
  const HWND main = application.ResultForm().Handle();
  struct Form {
    ui::DialogForm& form;
    const char* caption;
  };
  const Form dialogs[] = {{application.AdvancedOptions(), "Advanced Options"},
                          {application.AboutBox(), "About Quillow"},
                          {application.ZipOptions(), "ZIP file extraction"}};
  for (const Form& d : dialogs) {
    EXPECT_EQ(TextOf(d.form.Handle()), d.caption);
    EXPECT_EQ(GetWindow(d.form.Handle(), GW_OWNER), main);
    EXPECT_FALSE(IsWindowVisible(d.form.Handle()));
  }

  // A dialog shown modally disables its owner until it is closed, then hides again. The
  // timer fires inside the modal loop.
  aboutBox = application.AboutBox().Handle();
  owner = main;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, InsideModalLoop);
  EXPECT_EQ(application.AboutBox().ShowModal(), IDCANCEL);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_FALSE(IsWindowVisible(aboutBox));

  PostMessageW(main, WM_COMMAND, MAKEWPARAM(id::Exit1, 0), 0);
  EXPECT_EQ(application.Run(SW_SHOWNORMAL), 0);
  EXPECT_FALSE(IsWindow(main));
}

}  // namespace
}  // namespace quillow::test
