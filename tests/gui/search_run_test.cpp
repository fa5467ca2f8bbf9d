// Running searches in the real window: rows, status texts, refusal, stop, Enter while
// searching, the warnings file, closing during a search.
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "gui_test_util.h"
#include "search/search_host.h"
#include "ui/controls/menu.h"

namespace quillow::test {
namespace {

// A ZIP local header with the data-descriptor flag: the reader refuses it with a warning.
std::string RefusedZip() {
  static constexpr char kHead[] = "PK\x03\x04\x14\x00\x08\x00";
  std::string bytes(kHead, sizeof(kHead) - 1);
  bytes.resize(64, '\0');
  return bytes;
}

class SearchRunTest : public FormTest {
 protected:
  // A few folders, each with two hits.
  int MakeBigTree(TempFolder& tree) {
    int entries = 0;
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) {
        const std::string folder = "d" + std::to_string(a) + "\\e" + std::to_string(b);
        tree.Write(folder + "\\f.txt", "x");
        tree.Write(folder + "\\g.txt", "yy");
        entries += 2;
      }
    }
    return entries;
  }
  // Fills in a search for the text files in `folder`.
  void AskForTextFiles(const std::string& folder) {
    TypeInto(Control(id::Files), "*.txt");
    TypeInto(Control(id::Folder), folder);
  }
  // Starts a search that holds after its first row, and waits until the window shows it
  // searching.
  void StartHeldSearch(const std::string& folder, bool byEnter = false) {
    gate_->HoldAfter(1);
    AskForTextFiles(folder);
    if (byEnter)
      PressKey(Control(id::Files), L'\r');
    else
      Click(Control(id::BeginSearch));
    ASSERT_TRUE(PumpUntil([&] { return gate_->Holding() && Caption() == "Stop Search"; }));
  }
  HWND List() const { return Control(id::Results); }
  std::string Found() const { return Panel(Control(id::StatusBar1), 0); }
};

TEST_F(SearchRunTest, ListsTheRowsWithCountElapsedAndLastFolder) {
  MakeForm();
  TempFolder tree;
  tree.Write("a.txt", "12345");
  tree.Write("b.txt", "1");
  tree.Write("sub\\c.txt", "123");
  tree.Write("d.dat", "1");
  Search("*.txt", tree.Root());

  ASSERT_EQ(RowCount(List()), 3);
  std::vector<std::string> names = Column(0);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  for (int i = 0; i < 3; ++i) {
    const std::string container = Cell(List(), i, 1);
    EXPECT_TRUE(container == tree.Root() + "\\" || container == tree.Path("sub") + "\\")
        << container;
  }
  EXPECT_EQ(Found(), "3 files found.");
  EXPECT_EQ(Panel(Control(id::StatusBar1), 1), "0:00:00");
  // Subfolders are searched first; the root's own passes come last but it was entered first.
  EXPECT_EQ(Panel(Control(id::StatusBar1), 2), "Looking in " + tree.Path("sub"));
  EXPECT_EQ(Caption(), "Begin Search");
  EXPECT_TRUE(IsWindowEnabled(Control(id::BeginSearch)));
  HMENU menu = GetMenu(form());
  for (int item : {id::Save1, id::Append1, id::Printresults1})
    EXPECT_TRUE(ui::MenuCommandEnabled(menu, item)) << item;
  EXPECT_FALSE(GetMenuState(menu, id::Options1, MF_BYPOSITION) & MF_GRAYED);
  // No warnings: the file is gone and nothing was opened.
  EXPECT_FALSE(std::filesystem::exists(form_->WarningsPath()));
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_EQ(History(id::Files), std::vector<std::string>{"*.txt"});
  EXPECT_EQ(History(id::Folder), std::vector<std::string>{tree.Root()});
}

TEST_F(SearchRunTest, CountTextAndOutputCommandsFollowTheHits) {
  MakeForm();
  TempFolder tree;
  tree.Write("a.txt", "1");
  tree.Write("b.txt", "1");
  struct Case {
    const char* pattern;
    bool countOnly;
    const char* text;
    int rows;
    bool output;
  };
  const Case cases[] = {
      {"a.txt", false, "1 files found.", 1, true},
      {"*.txt", true, "2 files found.", 0, false},
      {"*.none", false, "No files found.", 0, false},
  };
  for (const Case& c : cases) {
    if ((form_->Settings.Options.CountOnly != 0) != c.countOnly)
      Command(form(), id::Displaycountonly1);
    Search(c.pattern, tree.Root());
    EXPECT_EQ(Found(), c.text) << c.pattern;
    EXPECT_EQ(RowCount(List()), c.rows) << c.pattern;
    EXPECT_EQ(ui::MenuCommandEnabled(GetMenu(form()), id::Save1), c.output) << c.pattern;
    EXPECT_EQ(ui::MenuCommandEnabled(GetMenu(form()), id::Printresults1), c.output) << c.pattern;
  }
}

TEST_F(SearchRunTest, AllTypesOffRefusesAndKeepsThePreviousResults) {
  MakeForm();
  TempFolder tree;
  tree.Write("a.txt", "1");
  Search("*.txt", tree.Root());
  ASSERT_EQ(RowCount(List()), 1);

  form_->Settings.ArchiveTypes.on.fill(0);
  Click(Control(id::BeginSearch));
  ASSERT_TRUE(WaitForSearchEnd());
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].text, search::kRefusalText);
  EXPECT_EQ(messages_.calls[0].title, "Error");
  EXPECT_EQ(messages_.calls[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(RowCount(List()), 1);
  EXPECT_EQ(Found(), "1 files found.");
  EXPECT_EQ(Caption(), "Begin Search");
  EXPECT_TRUE(ui::MenuCommandEnabled(GetMenu(form()), id::Save1));
}

TEST_F(SearchRunTest, StopEndsTheSearchWithTheRowsFoundSoFar) {
  MakeForm();
  TempFolder tree;
  const int total = MakeBigTree(tree);
  StartHeldSearch(tree.Root());
  Click(Control(id::BeginSearch));  // "Stop Search"
  gate_->Release();
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(Caption(), "Begin Search");
  const int rows = RowCount(List());
  EXPECT_LT(rows, total);
  EXPECT_EQ(static_cast<size_t>(rows), form_->Rows().size());
  EXPECT_EQ(Found(), rows > 0 ? std::to_string(rows) + " files found." : "No files found.");
  EXPECT_FALSE(GetMenuState(GetMenu(form()), id::Options1, MF_BYPOSITION) & MF_GRAYED);
}

TEST_F(SearchRunTest, EnterOnTheFocusedStopButtonStopsTheSearch) {
  MakeForm();
  TempFolder tree;
  const int total = MakeBigTree(tree);
  StartHeldSearch(tree.Root());
  const HWND button = Control(id::BeginSearch);
  SetFocus(button);
  // As the keyboard gives it, through the dialog manager as the program's message loop does.
  PostMessageW(button, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(button, WM_KEYUP, VK_RETURN, 0xC0000001);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (form_->PreTranslateMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  gate_->Release();
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_LT(RowCount(List()), total);
  EXPECT_EQ(Caption(), "Begin Search");
}

TEST_F(SearchRunTest, EnterWhileSearchingNeitherStopsNorRestarts) {
  MakeForm();
  TempFolder tree;
  const int total = MakeBigTree(tree);
  StartHeldSearch(tree.Root(), true);  // idle: Enter is a click
  EXPECT_TRUE(GetMenuState(GetMenu(form()), id::Options1, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_FALSE(ui::MenuCommandEnabled(GetMenu(form()), id::Save1));
  // Only the output commands and the Options menu wait for the end of the search.
  HMENU bar = GetMenu(form());
  for (int menu : {id::File1, id::Search1, id::Help1}) {
    HMENU sub = GetSubMenu(bar, menu);
    for (int i = 0; i < GetMenuItemCount(sub); ++i) {
      const UINT item = GetMenuItemID(sub, i);
      if (item == 0 || item == static_cast<UINT>(-1)) continue;  // separator
      const bool output = item == id::Save1 || item == id::Append1 || item == id::Printresults1;
      EXPECT_NE(ui::MenuCommandEnabled(bar, static_cast<int>(item)), output) << item;
    }
  }
  PressKey(Control(id::Files), L'\r');
  PressKey(Control(id::Folder), L'\r');
  // Emptying the Find-files box while searching keeps the button usable for stopping...
  TypeInto(Control(id::Files), "");
  EXPECT_TRUE(IsWindowEnabled(Control(id::BeginSearch)));
  gate_->Release();
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(RowCount(List()), total);
  EXPECT_EQ(Found(), std::to_string(total) + " files found.");
  // ...and the end of the search disables it, the Find-files text being empty.
  EXPECT_FALSE(IsWindowEnabled(Control(id::BeginSearch)));
}

TEST_F(SearchRunTest, SecondPressBeforeTheSearchStartsIsIgnored) {
  MakeForm();
  TempFolder tree;
  tree.Write("a.txt", "1");
  AskForTextFiles(tree.Root());
  // Both presses come before the search's first step has reached the window.
  Click(Control(id::BeginSearch));
  Click(Control(id::BeginSearch));
  ASSERT_TRUE(WaitForSearchEnd(std::chrono::seconds(30)));
  EXPECT_EQ(RowCount(List()), 1);
  EXPECT_EQ(Caption(), "Begin Search");
  // A press after the end starts the next search at once.
  TypeInto(Control(id::Files), "*.none");
  Click(Control(id::BeginSearch));
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(Found(), "No files found.");
}

TEST_F(SearchRunTest, WarningsFileIsOpenedOnlyWhenWarningsAreShown) {
  MakeForm();
  TempFolder tree;
  tree.Write("bad.zip", RefusedZip());
  Search("*.*", tree.Root());
  ASSERT_EQ(shell_.opened.size(), 1u);
  EXPECT_EQ(shell_.opened[0], form_->WarningsPath());
  EXPECT_EQ(shell_.showCommands[0], SW_SHOW);
  EXPECT_EQ(form_->WarningsPath(), home_->Root() + "\\warnings.txt");
  EXPECT_GT(std::filesystem::file_size(form_->WarningsPath()), 0u);

  Command(form(), id::Showwarnings1);
  EXPECT_FALSE(ui::MenuCommandChecked(GetMenu(form()), id::Showwarnings1));
  Search("*.zip", tree.Root());
  EXPECT_EQ(shell_.opened.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(form_->WarningsPath()));
}

// A relative entry means the folder below the one the program started in, whatever the
// searches before it walked and whatever a dialog made current since; a folder that is not
// there is named at the end instead of "Clearing items, please be patient." staying up.
TEST_F(SearchRunTest, RelativeLookInIsFoundFromTheStartFolderAndAMissingOneIsNamed) {
  TempFolder start, elsewhere;
  start.Write("sub1\\near.txt", "1");
  elsewhere.Write("sub1\\far.txt", "2");
  elsewhere.Write("deeper\\x.txt", "3");
  ASSERT_TRUE(platform::SetCurrentFolder(start.Root()));
  MakeForm();
  const std::vector<std::string> kLookIns = {"sub1", elsewhere.Root(), "sub1", ".\\sub1"};
  for (const std::string& lookIn : kLookIns) {
    Search("near.txt far.txt", lookIn);
    const bool relative = lookIn != elsewhere.Root();
    EXPECT_EQ(Column(0), std::vector<std::string>{relative ? "near.txt" : "far.txt"}) << lookIn;
    // As a file dialog would.
    platform::SetCurrentFolder(elsewhere.Path("deeper"));
  }

  Search("*.txt", "missing sub1");
  EXPECT_EQ(Column(0), std::vector<std::string>{"near.txt"});
  EXPECT_EQ(Panel(Control(id::StatusBar1), 2), std::string(search::kNotSearched) + "missing");
  std::ifstream log(form_->WarningsPath());
  std::string line;
  std::getline(log, line);
  EXPECT_EQ(line.find(start.Path("missing") + ": cannot be searched ("), 0u) << line;
}

TEST_F(SearchRunTest, SingleFolderWithASpaceIsQuotedInTheBoxAndHistory) {
  MakeForm();
  TempFolder tree;
  tree.Write("with space\\x.txt", "1");
  const std::string folder = tree.Path("with space");
  Search("*.txt", folder);
  EXPECT_EQ(RowCount(List()), 1);
  EXPECT_EQ(TextOf(Control(id::Folder)), "\"" + folder + "\"");
  EXPECT_EQ(History(id::Folder), std::vector<std::string>{"\"" + folder + "\""});
}

// One hit in each of many folders: every folder sends its status texts, and the window must
// still take a click at once and stop the search promptly.
TEST_F(SearchRunTest, StopIsAnsweredAtOnceInATreeOfManyFolders) {
  MakeForm();
  TempFolder tree;
  constexpr size_t kFolders = 3000;
  for (size_t i = 0; i < kFolders; ++i)
    tree.Write("d" + std::to_string(i / 60) + "\\e" + std::to_string(i) + "\\f.txt", "x");
  AskForTextFiles(tree.Root());
  Click(Control(id::BeginSearch));
  ASSERT_TRUE(PumpUntil([&] { return form_->Rows().size() >= 50; }));

  // A click as the mouse gives it: posted, behind whatever the search has queued.
  const HWND button = Control(id::BeginSearch);
  const auto clicked = std::chrono::steady_clock::now();
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  ASSERT_TRUE(PumpUntil([&] { return Caption() == "Begin Search"; }, std::chrono::seconds(30)));
  // Generous for a shared machine; the fault this guards against took many seconds.
  EXPECT_LT(std::chrono::steady_clock::now() - clicked, std::chrono::milliseconds(1500));
  ASSERT_TRUE(WaitForSearchEnd());
  const size_t rows = form_->Rows().size();
  EXPECT_LT(rows, kFolders);
  EXPECT_EQ(Found(), std::to_string(rows) + " files found.");
}

// The search's one hit brings a page-overflowing burst of rows, waits, brings as many again
// and holds once its end has been passed on, so that only the end-of-search step can have
// told the list about the second burst.
class TwoBurstsThenHold final : public search::ForwardingHost {
 public:
  using search::ForwardingHost::ForwardingHost;
  static constexpr int kBurst = 150;
  void AddRow(search::ResultRow&& row) override {
    for (int i = 0; i < 2 * kBurst; ++i) {
      if (i == kBurst) Wait(1);
      next_.AddRow(search::ResultRow(row));
    }
  }
  void EndOfSearch(int32_t found) override {
    next_.EndOfSearch(found);
    Wait(2);
  }
  void Release(int step) {
    std::lock_guard lock(mutex_);
    released_ = step;
    changed_.notify_all();
  }

 private:
  void Wait(int step) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return released_ >= step; });
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  int released_ = 0;
};

TEST_F(SearchRunTest, TheListHoldsEveryRowOnceTheSearchHasEnded) {
  TwoBurstsThenHold* host = nullptr;
  wrapHost_ = [&](search::SearchHost& next) {
    auto wrapped = std::make_unique<TwoBurstsThenHold>(next);
    host = wrapped.get();
    return wrapped;
  };
  struct ReleaseAll {  // a failed assertion must not leave the search thread waiting
    TwoBurstsThenHold*& host;
    ~ReleaseAll() {
      if (host) host->Release(2);
    }
  } releaseAll{host};
  MakeForm();
  TempFolder tree;
  tree.Write("a.txt", "1");
  AskForTextFiles(tree.Root());
  Click(Control(id::BeginSearch));
  ASSERT_TRUE(PumpUntil([&] { return RowCount(List()) == TwoBurstsThenHold::kBurst; }));
  ASSERT_GT(TwoBurstsThenHold::kBurst, ListView_GetCountPerPage(List()));
  host->Release(1);
  ASSERT_TRUE(PumpUntil([&] { return Caption() == "Begin Search"; }));
  EXPECT_EQ(RowCount(List()), 2 * TwoBurstsThenHold::kBurst);
  host->Release(2);
  ASSERT_TRUE(WaitForSearchEnd());
  EXPECT_EQ(RowCount(List()), 2 * TwoBurstsThenHold::kBurst);
}

TEST_F(SearchRunTest, ClosingDuringASearchStopsItWithoutHanging) {
  MakeForm();
  TempFolder tree;
  MakeBigTree(tree);
  StartHeldSearch(tree.Root());
  const auto start = std::chrono::steady_clock::now();
  Command(form(), id::Exit1);
  ASSERT_TRUE(PumpUntil([&] { return form_->Handle() == nullptr; }, std::chrono::seconds(10)));
  gate_->Release();
  form_.reset();  // waits for the search thread
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace quillow::test
