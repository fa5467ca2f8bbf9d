// TBrowseFolder: path shortening, placement, flags, and the real shell dialog driven from
// its own events (preselection, the extra button, "OK" and "Cancel").
#include "ui/components/browse_folder.h"

#include <windows.h>

#include <shlobj.h>

#include "gui_test_util.h"
#include "platform/win32/text.h"

namespace quillow::ui {
namespace {

TEST(ShortenPathTest, ReplacesTheSecondPartAndDropsThirdPartsUntilItFits) {
  const std::wstring n13(13, L'a'), n12(12, L'b'), n6a(6, L'c'), n6b(6, L'd'), n40(40, L'e');
  struct Case {
    std::wstring path, shown;
  };
  const Case cases[] = {
      // Five parts, 43 characters: 33 after the first step, nothing more goes.
      {L"C:\\" + n13 + L"\\" + n12 + L"\\" + n6a + L"\\" + n6b,
       L"C:\\...\\" + n12 + L"\\" + n6a + L"\\" + n6b},
      // Three parts: only the middle one becomes "...".
      {L"C:\\" + n40 + L"\\x.txt", L"C:\\...\\x.txt"},
      {L"C:\\x\\" + n40, L"C:\\...\\" + n40},
      // Many short parts: the third goes again and again until the text fits.
      {L"C:\\p1\\p2\\p3\\p4\\p5\\p6\\p7\\p8\\p9\\last-folder",
       L"C:\\...\\p5\\p6\\p7\\p8\\p9\\last-folder"},
      // ...or until only the drive, "..." and the last name are left.
      {L"C:\\p1\\p2\\p3\\" + n40, L"C:\\...\\" + n40},
      // Short enough, or too few parts: unchanged.
      {L"C:\\Program Files\\Quillow", L"C:\\Program Files\\Quillow"},
      {L"C:\\" + n40, L"C:\\" + n40},
      {L"", L""},
  };
  for (const Case& c : cases) {
    const std::wstring shown = ShortenPath(c.path);
    EXPECT_EQ(shown, c.shown) << platform::Narrow(c.path);
    EXPECT_TRUE(shown.size() <= 35 || shown == c.path ||
                std::count(shown.begin(), shown.end(), L'\\') == 2)
        << platform::Narrow(shown);
  }
  const std::wstring first = L"C:\\" + n13 + L"\\" + n12 + L"\\" + n6a + L"\\" + n6b;
  EXPECT_EQ(first.size(), 43u);
  EXPECT_EQ(ShortenPath(first).size(), 33u);
}

TEST(BrowseFolderTest, PlacementRoundsTowardZeroAndWidthFallsBackTo75) {
  // Halves and quarters are each rounded toward zero.
  const POINT at = CentredPosition(RECT{100, 100, 501, 303}, SIZE{101, 50});
  EXPECT_EQ(at.x, 100 + 200 - 50);
  EXPECT_EQ(at.y, 100 + 50);

  TBrowseFolder browser;
  EXPECT_EQ(browser.CustomButtonWidth(), 75);
  for (int width : {0, -4}) {
    browser.SetCustomButtonWidth(width);
    EXPECT_EQ(browser.CustomButtonWidth(), 75) << width;
  }
  browser.SetCustomButtonWidth(90);
  EXPECT_EQ(browser.CustomButtonWidth(), 90);
}

// The real dialog. Each test answers it from inside its own events.
class ShellDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<test::TempFolder>();
    folder_->Folder("start here");
    owner_ = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 60, 600,
                             400, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(owner_);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    folder_.reset();
  }

  std::unique_ptr<test::TempFolder> folder_;
  HWND owner_ = nullptr;
};

// Closes a dialog whose selection never arrived, so a failing test cannot hang.
void CALLBACK CancelDialog(HWND dialog, UINT, UINT_PTR, DWORD) {
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(ShellDialogTest, CancelKeepsTheDirectoryAndTheDialogIsPlacedAndPrepared) {
  TBrowseFolder browser(owner_);
  browser.Directory = folder_->Path("start here");
  browser.Title = "Look for files in";
  browser.ShowPathInStatusArea = true;
  browser.CustomButtonVisible = true;
  browser.SetCustomButtonCaption("Extra");
  browser.SetCustomButtonWidth(0);
  browser.SetCustomButtonEnabled(false);
  std::vector<std::string> selections;
  RECT placed{}, over{};
  HWND button = nullptr;
  LONG_PTR buttonStyle = 0;
  RECT buttonRect{};
  int clicks = 0;
  // The dialog reports its first selection after it has been set up, not always before a
  // message posted during set-up: it is cancelled once that selection has come (or after two
  // seconds: Wine's dialog does not always report the selection it opens with).
  browser.OnSelectionChanged = [&](TBrowseFolder&, HWND dialog, PCIDLIST_ABSOLUTE,
                                   const std::string& d) {
    selections.push_back(d);
    if (selections.size() == 1) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  };
  browser.OnCustomButtonClick = [&](TBrowseFolder&, HWND) { ++clicks; };
  browser.OnInitialized = [&](TBrowseFolder& sender, HWND dialog) {
    EXPECT_EQ(sender.DialogHandle(), dialog);
    EXPECT_EQ(reinterpret_cast<TBrowseFolder*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)), &sender);
    GetWindowRect(dialog, &placed);
    GetWindowRect(GetForegroundWindow(), &over);
    button = GetDlgItem(dialog, 255);
    EXPECT_EQ(button, sender.CustomButtonHandle());
    if (button) {
      buttonStyle = GetWindowLongPtrW(button, GWL_STYLE);
      GetWindowRect(button, &buttonRect);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&buttonRect), 2);
      EXPECT_EQ(test::TextOf(button), "Extra");
      EXPECT_FALSE(IsWindowEnabled(button));
      sender.SetCustomButtonEnabled(true);  // acts on the open dialog at once
      EXPECT_TRUE(IsWindowEnabled(button));
      sender.SetCustomButtonCaption("Renamed");
      EXPECT_EQ(test::TextOf(button), "Renamed");
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(255, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    }
    SetTimer(dialog, 1, 2000, CancelDialog);
  };
  const std::string before = browser.Directory;
  EXPECT_FALSE(browser.Execute());
  EXPECT_EQ(browser.Directory, before);
  EXPECT_EQ(browser.DialogHandle(), nullptr);

  ASSERT_NE(button, nullptr);
  EXPECT_EQ(buttonStyle & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_TRUE(buttonStyle & WS_TABSTOP);
  EXPECT_EQ(buttonRect.left, 12);
  EXPECT_EQ(buttonRect.top, 270);
  EXPECT_EQ(buttonRect.right - buttonRect.left, 75);
  EXPECT_EQ(buttonRect.bottom - buttonRect.top, 23);
  EXPECT_EQ(clicks, 1);
  // Centred across the foreground window, a quarter of its height down.
  const POINT expected =
      CentredPosition(over, SIZE{placed.right - placed.left, placed.bottom - placed.top});
  EXPECT_EQ(placed.left, expected.x);
  EXPECT_EQ(placed.top, expected.y);
  // The start folder was selected when the dialog opened.
  if (!selections.empty()) {
    EXPECT_EQ(selections.front(), before);
  }
}

TEST_F(ShellDialogTest, OkReturnsTheSelectedFolderAndTheCheckBoxState) {
  TBrowseFolder browser(owner_);
  browser.Directory = folder_->Path("start here");
  browser.CustomButtonVisible = true;
  browser.CustomButtonType = btCheckBox;
  browser.SyncCustomButton = true;
  bool okEnabledOnComputer = true, buttonEnabledOnComputer = true, buttonEnabledAtStart = false;
  const std::string start = folder_->Path("start here");
  // Driven by the dialog's own selection reports, which may come after messages sent during
  // set-up: "My Computer" first (it has no file-system path: "OK" and the synced button go
  // off), then back to the start folder, then the box is checked and "OK" pressed.
  enum { kWantComputer, kWantStart, kDone } phase = kWantComputer;
  browser.OnInitialized = [&](TBrowseFolder& sender, HWND dialog) {
    HWND box = sender.CustomButtonHandle();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(box, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    SetTimer(dialog, 1, 5000, CancelDialog);
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(dialog, CSIDL_DRIVES, &computer)));
    SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
    CoTaskMemFree(computer);
  };
  browser.OnSelectionChanged = [&](TBrowseFolder& sender, HWND dialog, PCIDLIST_ABSOLUTE,
                                   const std::string& path) {
    if (phase == kWantComputer && path.empty()) {
      okEnabledOnComputer = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
      buttonEnabledOnComputer = sender.CustomButtonEnabled();
      phase = kWantStart;
      const std::wstring wide = platform::Widen(start);
      SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
    } else if (phase == kWantStart && path == start) {
      phase = kDone;
      buttonEnabledAtStart = sender.CustomButtonEnabled();
      SendMessageW(sender.CustomButtonHandle(), BM_SETCHECK, BST_CHECKED, 0);
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
  };
  browser.Directory = folder_->Path("start here");
  EXPECT_TRUE(browser.Execute());
  EXPECT_EQ(browser.Directory, folder_->Path("start here"));
  EXPECT_EQ(browser.CurrentPath(), browser.Directory);
  EXPECT_FALSE(browser.DisplayName().empty());
  EXPECT_TRUE(browser.CustomButtonChecked);
  EXPECT_FALSE(okEnabledOnComputer);
  EXPECT_FALSE(buttonEnabledOnComputer);
  EXPECT_TRUE(buttonEnabledAtStart);
}

}  // namespace
}  // namespace quillow::ui
