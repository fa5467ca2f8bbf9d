// The settings at the window: loaded into the controls when it is made, taken back from
// them when it closes, and a legacy file beside the program moved into the real registry.
#include <algorithm>
#include <cstring>

#include "gui_test_util.h"
#include "settings/registry_store_win32.h"
#include "settings/settings_store.h"
#include "ui/controls/menu.h"

namespace quillow::test {
namespace {

using Texts = std::vector<std::string>;
using settings::kMainKey;
using settings::kOldSearchesKey;

class SettingsTest : public FormTest {
 protected:
  void Close() {
    SendMessageW(form(), WM_CLOSE, 0, 0);
    Pump();
  }
};

TEST_F(SettingsTest, StoredSettingsReachTheControlsAndComeBackAtClose) {
  store_.SetText(kMainKey, "DoNotDeleteMe", "");
  store_.SetNumber(kMainKey, "CaseSensitive", 1);
  store_.SetNumber(kMainKey, "ShowWarnings", 0);
  store_.SetNumber(kMainKey, "SortType", 7);
  for (auto [name, value] : {std::pair{"Left", 50}, {"Top", 60}, {"Width", 640}, {"Height", 420}})
    store_.SetNumber(kMainKey, name, static_cast<uint32_t>(value));
  store_.SetText(kOldSearchesKey, "1", home_->Root());
  store_.SetText(kOldSearchesKey, "3", "D:\\");
  store_.SetText(kOldSearchesKey, "11", "*.bin");
  MakeForm();

  HMENU menu = GetMenu(form());
  EXPECT_TRUE(ui::MenuCommandChecked(menu, id::Casesensitive1));
  EXPECT_FALSE(ui::MenuCommandChecked(menu, id::Showwarnings1));
  EXPECT_TRUE(ui::MenuCommandChecked(menu, id::Includesubfolders1));
  EXPECT_EQ(History(id::Folder), (Texts{home_->Root(), "D:\\"}));
  EXPECT_EQ(History(id::Files), (Texts{"*.bin"}));
  RECT r{};
  GetWindowRect(form(), &r);
  EXPECT_EQ(r.left, 50);
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_FALSE(IsZoomed(form()));

  // The stored sort kind orders the first search: smallest size first.
  home_->Write("b.bin", std::string(30, 'b'));
  home_->Write("a.bin", std::string(20, 'a'));
  home_->Write("c.bin", std::string(10, 'c'));
  Search("*.bin", home_->Root());
  EXPECT_EQ(Column(3), (Texts{"10", "20", "30"}));

  Command(form(), id::Casesensitive1);
  MoveWindow(form(), 70, 80, 700, 450, TRUE);
  Close();
  EXPECT_EQ(store_.Find(kMainKey, "CaseSensitive")->number, 0u);
  EXPECT_EQ(store_.Find(kMainKey, "Left")->number, 70u);
  EXPECT_EQ(store_.Find(kMainKey, "Height")->number, 450u);
  EXPECT_EQ(store_.Find(kMainKey, "Maximized")->number, 0u);
  EXPECT_EQ(store_.Find(kMainKey, "SortType")->number, 7u);
  EXPECT_EQ(store_.Find(kOldSearchesKey, "1")->text, home_->Root());  // already there: kept
  EXPECT_EQ(store_.Find(kOldSearchesKey, "2")->text, "D:\\");
  EXPECT_EQ(store_.Find(kOldSearchesKey, "3")->text, "");
  EXPECT_EQ(store_.Find(kOldSearchesKey, "11")->text, "*.bin");
}

TEST_F(SettingsTest, StoredMaximizedWindowOpensMaximizedAndIsSavedSo) {
  store_.SetText(kMainKey, "DoNotDeleteMe", "");
  store_.SetNumber(kMainKey, "Maximized", 1);
  MakeForm();
  EXPECT_TRUE(IsZoomed(form()));
  Close();
  EXPECT_EQ(store_.Find(kMainKey, "Maximized")->number, 1u);
  // The bounds it goes back to, not the maximized ones.
  EXPECT_LT(static_cast<int>(store_.Find(kMainKey, "Width")->number),
            GetSystemMetrics(SM_CXMAXIMIZED));
}

// Logging off ends the process without a WM_CLOSE: the settings are saved when the session
// ends, once however the window goes afterwards, and the temporary copies go too.
TEST_F(SettingsTest, EndOfSessionSavesOnceAndDeletesTheTemporaryCopies) {
  MakeForm();
  auto saves = [this] {
    return std::count(store_.log.begin(), store_.log.end(), "write DoNotDeleteMe");
  };
  home_->Write("copy.txt", "x");
  form_->TemporaryFiles().push_back(home_->Path("copy.txt"));
  Command(form(), id::Casesensitive1);
  EXPECT_EQ(SendMessageW(form(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageW(form(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // another program said no
  EXPECT_EQ(saves(), 0);
  EXPECT_TRUE(std::filesystem::exists(home_->Path("copy.txt")));
  SendMessageW(form(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(saves(), 1);
  EXPECT_EQ(store_.Find(kMainKey, "CaseSensitive")->number, 1u);
  EXPECT_FALSE(std::filesystem::exists(home_->Path("copy.txt")));
  Close();
  EXPECT_EQ(saves(), 1);
}

// Shown as the program shows it (maximized unless the settings say otherwise).
TEST_F(SettingsTest, StoredWindowStateAndBoundsComeBack) {
  const struct {
    int maximized, left, top;
    bool zoomed, exact;
  } kCases[] = {
      {0, 100, 80, false, true},        // closed in its normal state: normal, where it was
      {1, 100, 80, true, false},        // closed maximized: maximized again
      {0, -30000, 25000, false, false}  // off every monitor: moved onto the nearest one
  };
  showCommand_ = SW_SHOWMAXIMIZED;
  for (const auto& c : kCases) {
    store_.SetText(kMainKey, "DoNotDeleteMe", "");
    store_.SetNumber(kMainKey, "Maximized", static_cast<uint32_t>(c.maximized));
    for (auto [name, value] :
         {std::pair{"Left", c.left}, {"Top", c.top}, {"Width", 500}, {"Height", 300}})
      store_.SetNumber(kMainKey, name, static_cast<uint32_t>(value));
    MakeForm();
    EXPECT_EQ(IsZoomed(form()) != FALSE, c.zoomed) << c.left;
    RECT r{};
    GetWindowRect(form(), &r);
    if (c.exact) {
      EXPECT_EQ(r.left, c.left);
      EXPECT_EQ(r.top, c.top);
      EXPECT_EQ(r.right - r.left, 500);
      EXPECT_EQ(r.bottom - r.top, 300);
    }
    EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr) << c.left;
    form_.reset();
    Pump();
  }
}

// A legacy file beside the program, with the real registry below a test key.
class LegacyMigrationTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    path_ = L"Software\\QuillowTests\\gui-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &root_, nullptr),
              ERROR_SUCCESS);
    registry_ = std::make_unique<settings::RegistryStore>(root_);
    settingsStore_ = registry_.get();
  }
  void TearDown() override {
    SettingsTest::TearDown();
    registry_.reset();
    RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuillowTests");
  }
  std::wstring path_;
  HKEY root_ = nullptr;
  std::unique_ptr<settings::RegistryStore> registry_;
};

TEST_F(LegacyMigrationTest, LegacyFileIsAskedAboutOnceAndItsWindowApplied) {
  std::string cfg(5528, '\0');
  cfg[1] = 1;  // SubFolders
  for (int i = 0; i < 14; ++i) cfg[3 + i] = i == search::kRar || i == search::kFolders ? 0 : 1;
  cfg[41] = 1;  // TableBorders
  std::memcpy(&cfg[44], "E:\\out\\", 7);
  const int32_t bounds[] = {610, 410, 30, 40};
  std::memcpy(&cfg[304 + 4], bounds, sizeof bounds);
  std::memcpy(&cfg[304 + 20], "C:\\old", 6);
  std::memcpy(&cfg[304 + 40], "*.doc", 5);
  cfg[304 + 5220] = 0;
  home_->Write("quillow.cfg", cfg);
  messages_.answer = IDNO;
  MakeForm();

  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].text, settings::kLegacyQuestion);
  EXPECT_EQ(messages_.calls[0].title, "");
  EXPECT_EQ(messages_.calls[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(std::filesystem::exists(home_->Path("quillow.cfg")));  // No keeps it
  const settings::AppSettings& s = form_->Settings;
  EXPECT_EQ(s.ArchiveTypes.on[search::kRar], 0);
  EXPECT_EQ(s.ArchiveTypes.on[search::kFolders], 0);
  EXPECT_NE(s.ArchiveTypes.on[search::kAce], 0);
  EXPECT_EQ(s.SavePath, "E:\\out\\");
  EXPECT_FALSE(ui::MenuCommandChecked(GetMenu(form()), id::Showwarnings1));
  EXPECT_EQ(History(id::Folder), (Texts{"C:\\old"}));
  EXPECT_EQ(History(id::Files), (Texts{"*.doc"}));
  RECT r{};
  GetWindowRect(form(), &r);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.bottom - r.top, 410);
  EXPECT_FALSE(IsZoomed(form()));

  // Written at once: the marker is in the registry before the window closes.
  DWORD type = 0;
  const std::wstring main = path_ + L"\\Software\\Ostrel\\Quillow";
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, main.c_str(), L"DoNotDeleteMe", RRF_RT_ANY, &type,
                         nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  Close();
  form_.reset();

  // The next start reads the registry and asks nothing, although the file is still there.
  messages_.calls.clear();
  MakeForm();
  EXPECT_TRUE(messages_.calls.empty());
  EXPECT_EQ(History(id::Files), (Texts{"*.doc"}));
  EXPECT_EQ(form_->Settings.SavePath, "E:\\out\\");
}

}  // namespace
}  // namespace quillow::test
