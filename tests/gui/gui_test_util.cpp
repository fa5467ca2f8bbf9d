#include "gui_test_util.h"

#include <objbase.h>

#include <thread>

#include "platform/fs.h"
#include "platform/win32/text.h"

namespace quillow::test {

namespace {

// Common controls and COM, once for the whole test program.
class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindChild(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<ChildSearch*>(lp);
  if (GetDlgCtrlID(hwnd) == search->id) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND EditOf(HWND combo) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  GetComboBoxInfo(combo, &info);
  return info.hwndItem;
}

}  // namespace

void GatedHost::HoldAfter(int rows) {
  std::lock_guard lock(mutex_);
  holdAfter_ = rows;
  rows_ = 0;
  released_ = false;
}

void GatedHost::Release() {
  std::lock_guard lock(mutex_);
  released_ = true;
  changed_.notify_all();
}

bool GatedHost::Holding() const {
  std::lock_guard lock(mutex_);
  return holding_;
}

void GatedHost::AddRow(search::ResultRow&& row) {
  next_.AddRow(std::move(row));
  std::unique_lock lock(mutex_);
  if (released_ || holdAfter_ < 0 || ++rows_ < holdAfter_) return;
  holding_ = true;
  changed_.wait(lock, [&] { return released_; });
  holding_ = false;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  // One message at a time: a running search posts as fast as the window drains, and the
  // condition must be seen between two drains.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  MSG msg;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
}

HWND Child(HWND parent, int id) {
  ChildSearch search{id, nullptr};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TextOf(HWND hwnd) {
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd, text, 1024);
  return platform::Narrow(text);
}

void TypeInto(HWND combo, const std::string& text) {
  HWND edit = EditOf(combo);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CHAR, VK_BACK, 0);
  for (wchar_t c : platform::Widen(text)) SendMessageW(edit, WM_CHAR, c, 0);
}

void PressKey(HWND combo, wchar_t key) { SendMessageW(EditOf(combo), WM_CHAR, key, 0); }

void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

void Command(HWND form, int id) { SendMessageW(form, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void ClickColumn(HWND list, int column) {
  HWND header = ListView_GetHeader(list);
  RECT r{};
  Header_GetItemRect(header, column, &r);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(header, WM_LBUTTONUP, 0, at);
}

std::string Cell(HWND list, int row, int column) {
  wchar_t text[1024] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 1024;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return platform::Narrow(text);
}

int RowCount(HWND list) { return ListView_GetItemCount(list); }

std::string Panel(HWND statusBar, int panel) {
  wchar_t text[1024] = {};
  SendMessageW(statusBar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text));
  return platform::Narrow(text);
}

TempFolder::TempFolder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  static int made = 0;
  std::string leaf =
      std::string("quillow-gui-") + (info ? info->name() : "t") + "-" + std::to_string(++made);
  for (char& c : leaf)
    if (c == '/') c = '_';
  root_ = std::filesystem::temp_directory_path() / leaf;
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
  std::filesystem::create_directories(root_);
}

TempFolder::~TempFolder() {
  // The search leaves the last folder it entered current; step out so it can go.
  platform::SetCurrentFolder(std::filesystem::temp_directory_path().string());
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

void TempFolder::Write(const std::string& relative, const std::string& bytes) {
  const auto p = root_ / relative;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

void TempFolder::Folder(const std::string& relative) {
  std::filesystem::create_directories(root_ / relative);
}

void FormTest::SetUp() {
  savedCurrentFolder_ = platform::CurrentFolder();
  home_ = std::make_unique<TempFolder>();
}

void FormTest::TearDown() {
  if (form_ && gate_) gate_->Release();
  form_.reset();
  Pump();
  platform::SetCurrentFolder(savedCurrentFolder_);
  home_.reset();
}

void FormTest::MakeForm(std::function<platform::DriveTypeTable()> driveTypes) {
  app::FormServices services;
  services.messages = &messages_;
  services.shell = &shell_;
  services.browser = &browser_;
  services.driveTypes = std::move(driveTypes);
  services.programFolder = home_->Root() + "\\";
  services.fileDialogs = &dialogs_;
  services.settingsStore = settingsStore_ ? settingsStore_ : &store_;
  services.wrapSearchHost =
      [this](search::SearchHost& handOver) -> std::unique_ptr<search::SearchHost> {
    if (wrapHost_) return wrapHost_(handOver);
    auto gate = std::make_unique<GatedHost>(handOver);
    gate_ = gate.get();
    return gate;
  };
  form_ = std::make_unique<app::TResultForm>(services);
  ASSERT_TRUE(form_->Create());
  form_->Show(showCommand_);
  Pump();
}

void FormTest::Search(const std::string& files, const std::string& folder) {
  TypeInto(Control(id::Files), files);
  TypeInto(Control(id::Folder), folder);
  Click(Control(id::BeginSearch));
  ASSERT_TRUE(WaitForSearchEnd());
}

bool FormTest::WaitForSearchEnd(std::chrono::milliseconds timeout) {
  return PumpUntil([&] { return !form_->SearchThreadAlive(); }, timeout);
}

std::vector<std::string> FormTest::Column(int column) const {
  std::vector<std::string> texts;
  HWND list = Control(id::Results);
  for (int i = 0; i < RowCount(list); ++i) texts.push_back(Cell(list, i, column));
  return texts;
}

std::vector<std::string> FormTest::History(int comboId) const {
  std::vector<std::string> items;
  HWND combo = Control(comboId);
  const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t text[512] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(platform::Narrow(text));
  }
  return items;
}

}  // namespace quillow::test
