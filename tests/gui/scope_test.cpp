// What and where to search: histories, drive sets, "Browse...", the enabling rule and the
// option toggles, in the real window.
#include "gui_test_util.h"
#include "platform/fs.h"
#include "ui/controls/menu.h"

namespace quillow::test {
namespace {

class ScopeTest : public FormTest {};

TEST_F(ScopeTest, HistoriesKeepTenEntriesNewestFirstAndIgnoreLetterCase) {
  MakeForm();
  TempFolder tree;
  // Folders that do not exist: each search ends at once, but still records its texts.
  std::vector<std::string> folders;
  for (int i = 0; i <= 10; ++i) folders.push_back(tree.Path("none" + std::to_string(i)));
  for (const std::string& folder : folders) Search("*.txt", folder);

  std::vector<std::string> expected(folders.rbegin(), folders.rbegin() + 10);
  EXPECT_EQ(History(id::Folder), expected);
  EXPECT_EQ(History(id::Files), std::vector<std::string>{"*.txt"});

  // An entry already there keeps its place, whatever its letter case now.
  Search("*.TXT", folders[5]);
  EXPECT_EQ(History(id::Files), std::vector<std::string>{"*.txt"});
  EXPECT_EQ(History(id::Folder), expected);

  Search("*.doc", folders[10]);
  EXPECT_EQ(History(id::Files), (std::vector<std::string>{"*.doc", "*.txt"}));
}

TEST_F(ScopeTest, DriveSetsComeFromTheTypesTakenAtStart) {
  platform::DriveTypeTable types;
  types.fill(platform::kDriveNoRoot);
  types[0] = platform::kDriveRemovable;  // A: floppy
  types[2] = platform::kDriveFixed;      // C:
  types[3] = platform::kDriveCdRom;      // D:
  types[4] = platform::kDriveRemote;     // E: network
  types[5] = platform::kDriveRamDisk;    // F:
  types[6] = platform::kDriveUnknown;    // G:
  int asked = 0;
  MakeForm([&] {
    ++asked;
    return types;
  });
  EXPECT_EQ(asked, 1);
  struct Case {
    int command;
    const char* text;
  };
  const Case cases[] = {
      {id::Allavailabledrives1, "A:\\ C:\\ D:\\ E:\\ F:\\ G:\\"},
      {id::Allremovabledrives2, "A:\\ D:\\"},
      {id::Allnonremovabledrives1, "C:\\ E:\\ F:\\ G:\\"},
  };
  TypeInto(Control(id::Files), "*.txt");
  for (const Case& c : cases) {
    Command(form(), c.command);
    EXPECT_EQ(TextOf(Control(id::Folder)), c.text) << c.command;
    EXPECT_TRUE(IsWindowEnabled(Control(id::BeginSearch)));
  }
  EXPECT_EQ(asked, 1);  // taken once, not per command
}

TEST_F(ScopeTest, DriveSetWithNoDriveEmptiesTheLookInText) {
  MakeForm([] {
    platform::DriveTypeTable types;
    types.fill(platform::kDriveNoRoot);
    types[2] = platform::kDriveFixed;
    return types;
  });
  TypeInto(Control(id::Files), "*.txt");
  ASSERT_TRUE(IsWindowEnabled(Control(id::BeginSearch)));
  Command(form(), id::Allremovabledrives2);
  EXPECT_EQ(TextOf(Control(id::Folder)), "");
  EXPECT_FALSE(IsWindowEnabled(Control(id::BeginSearch)));
}

TEST_F(ScopeTest, BrowseStartsAtTheFirstEntryAndReplacesTheWholeText) {
  MakeForm();
  const std::string current = platform::CurrentFolder();
  struct Case {
    const char* lookIn;
    const char* choice;  // empty: cancel
    std::string start;
    const char* result;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\" \"D:\\My Data\"", "C:\\Program Files", "C:\\Program Files",
       "\"C:\\Program Files\""},
      {"C:\\ D:\\", "D:\\Games", "C:\\ D:\\", "D:\\Games"},
      {"\"C:\\Unclosed quote", "C:\\Temp", "", "C:\\Temp"},
      {"C:\\Windows", "", "C:\\Windows", "C:\\Windows"},
  };
  for (const Case& c : cases) {
    TypeInto(Control(id::Folder), c.lookIn);
    browser_.choice = c.choice;
    browser_.starts.clear();
    Click(Control(id::Button1));
    ASSERT_EQ(browser_.starts.size(), 1u);
    // No start folder in the text: the browser starts at the current folder.
    EXPECT_EQ(browser_.starts[0], c.start.empty() ? current : c.start) << c.lookIn;
    EXPECT_EQ(TextOf(Control(id::Folder)), c.result) << c.lookIn;
  }
  TypeInto(Control(id::Folder), "");
  browser_.choice = "";
  browser_.starts.clear();
  Click(Control(id::Button1));
  ASSERT_EQ(browser_.starts.size(), 1u);
  EXPECT_EQ(browser_.starts[0], current);
}

TEST_F(ScopeTest, BeginSearchIsEnabledOnlyWithBothTexts) {
  MakeForm();
  HWND button = Control(id::BeginSearch);
  TypeInto(Control(id::Files), "a");
  EXPECT_TRUE(IsWindowEnabled(button));
  TypeInto(Control(id::Files), "");
  EXPECT_FALSE(IsWindowEnabled(button));
  TypeInto(Control(id::Files), "b");
  EXPECT_TRUE(IsWindowEnabled(button));
  TypeInto(Control(id::Folder), "");
  EXPECT_FALSE(IsWindowEnabled(button));
  // Enter does nothing while the button is disabled.
  PressKey(Control(id::Files), L'\r');
  Pump();
  EXPECT_FALSE(form_->SearchThreadAlive());
  TypeInto(Control(id::Folder), "C:\\");
  EXPECT_TRUE(IsWindowEnabled(button));
}

TEST_F(ScopeTest, OptionItemsToggleTheirCheckAndFlag) {
  MakeForm();
  struct Case {
    int command;
    uint8_t search::SearchOptions::*flag;
  };
  const Case cases[] = {
      {id::Casesensitive1, &search::SearchOptions::CaseSensitive},
      {id::Includesubfolders1, &search::SearchOptions::SubFolders},
      {id::Displaycountonly1, &search::SearchOptions::CountOnly},
      {id::Showwarnings1, &search::SearchOptions::ShowWarnings},
  };
  HMENU menu = GetMenu(form());
  for (const Case& c : cases) {
    const bool before = ui::MenuCommandChecked(menu, c.command);
    EXPECT_EQ(form_->Settings.Options.*c.flag != 0, before) << c.command;
    Command(form(), c.command);
    EXPECT_EQ(ui::MenuCommandChecked(menu, c.command), !before) << c.command;
    EXPECT_EQ(form_->Settings.Options.*c.flag != 0, !before) << c.command;
    Command(form(), c.command);
    EXPECT_EQ(form_->Settings.Options.*c.flag != 0, before) << c.command;
  }
}

TEST_F(ScopeTest, SubfoldersOffSearchesOnlyTheFolderItself) {
  MakeForm();
  TempFolder tree;
  tree.Write("top.txt", "1");
  tree.Write("sub\\deep.txt", "1");
  Command(form(), id::Includesubfolders1);
  Search("*.txt", tree.Root());
  EXPECT_EQ(Column(0), std::vector<std::string>{"top.txt"});
}

}  // namespace
}  // namespace quillow::test
