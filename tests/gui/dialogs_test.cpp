// The dialog base, the handle wrappers, "Advanced Options" and the About box.
#include <algorithm>

#include "app/res/resource.h"
#include "gui_test_util.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"
#include "search/search_thread.h"
#include "settings/settings_store.h"
#include "ui/controls/menu.h"
#include "ui/dialogs/about/about.h"
#include "ui/dialogs/about/about_ids.h"
#include "ui/dialogs/about/contact.h"
#include "ui/dialogs/advanced/advanced.h"
#include "ui/dialogs/advanced/advanced_ids.h"

namespace quillow::test {
namespace {

// Runs `inside` once the next modal loop is running (a timer fires only inside a loop).
std::function<void()> g_inside;
void CALLBACK RunInside(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto inside = std::move(g_inside);
  if (inside) inside();
}
void WhenModal(std::function<void()> inside) {
  g_inside = std::move(inside);
  SetTimer(nullptr, 0, 10, RunInside);
}

void SendCommand(HWND form, int id, int code, HWND control) {
  SendMessageW(form, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

// ---------------------------------------------------------------------------------------
// Handles.

int g_closed = 0;
struct CountingDeleter {
  static int Invalid() { return 0; }
  static void Close(int) { ++g_closed; }
};
using Counted = platform::UniqueHandle<int, CountingDeleter>;

class CountedUnknown final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown) return *out = nullptr, E_NOINTERFACE;
    AddRef();
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
  ULONG STDMETHODCALLTYPE Release() override { return --count; }
  ULONG count = 1;
};

TEST(HandlesTest, EachHandleIsClosedExactlyOnce) {
  g_closed = 0;
  {
    Counted a(7);
    Counted b(std::move(a));  // the move leaves nothing to close behind
    EXPECT_FALSE(a);
    b = Counted(8);  // 7 closed
    *b.put() = 9;    // 8 closed, 9 taken through the slot
    EXPECT_EQ(b.get(), 9);
    EXPECT_EQ(g_closed, 2);
    const int kept = b.release();
    EXPECT_EQ(kept, 9);
    b.reset(10);
  }  // 10 closed; the released 9 is not
  EXPECT_EQ(g_closed, 3);

  CountedUnknown object;
  {
    auto p = platform::ComPtr<IUnknown>::Adopt(&object);
    platform::ComPtr<IUnknown> copy = p;
    EXPECT_EQ(object.count, 2u);
    platform::ComPtr<IUnknown> other = p.As<IUnknown>();
    EXPECT_EQ(object.count, 3u);
  }
  EXPECT_EQ(object.count, 0u);
}

// ---------------------------------------------------------------------------------------
// The dialog base.

class ProbeDialog final : public ui::DialogForm {
 public:
  ProbeDialog() : DialogForm({.caption = "Probe", .clientWidth = 200, .clientHeight = 100}) {}
  bool accept = false;
  ui::Button button;

 protected:
  void OnInit() override { button.Create(Handle(), 500, "Throw"); }
  void OnLayout() override { button.Move(Scale(10), Scale(10), Scale(80), Scale(24)); }
  bool OnOK() override { return accept; }
  bool OnCommand(int id, int, HWND) override {
    if (id == 500) throw std::runtime_error("Probe failed.");
    return false;
  }
  std::optional<LRESULT> OnNotify(NMHDR& header) override {
    if (header.code == 1234) return 42;
    return std::nullopt;
  }
};

TEST(DialogBaseTest, BarrierNotifyResultValidationAndResolution) {
  FakeMessageBoxes messages;
  ProbeDialog probe;
  probe.SetMessageBoxes(&messages);
  ASSERT_TRUE(probe.Create(nullptr));

  // An exception in a handler is shown; the form goes on.
  SendCommand(probe.Handle(), 500, BN_CLICKED, probe.button.Handle());
  ASSERT_EQ(messages.calls.size(), 1u);
  EXPECT_EQ(messages.calls[0].text, "Probe failed.");
  EXPECT_TRUE(IsWindow(probe.Handle()));

  NMHDR header{probe.button.Handle(), 500, 1234};
  EXPECT_EQ(SendMessageW(probe.Handle(), WM_NOTIFY, 500, reinterpret_cast<LPARAM>(&header)), 42);

  // Enter (IDOK without a button) asks OnOK, which keeps the form open until it agrees.
  WhenModal([&] {
    SendCommand(probe.Handle(), IDOK, BN_CLICKED, nullptr);
    Pump();
    EXPECT_TRUE(IsWindowVisible(probe.Handle()));
    probe.accept = true;
    SendCommand(probe.Handle(), IDOK, BN_CLICKED, nullptr);
  });
  EXPECT_EQ(probe.ShowModal(), IDOK);

  // A new resolution scales the form's controls.
  const int dpiBefore = probe.Dpi();
  RECT before{};
  GetWindowRect(probe.button.Handle(), &before);
  RECT window{};
  GetWindowRect(probe.Handle(), &window);
  SendMessageW(probe.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&window));
  RECT after{};
  GetWindowRect(probe.button.Handle(), &after);
  EXPECT_EQ(before.right - before.left, MulDiv(80, dpiBefore, 96));
  EXPECT_EQ(after.right - after.left, 160);
  EXPECT_EQ(probe.Dpi(), 192);
}

// ---------------------------------------------------------------------------------------
// "Advanced Options", opened from the window's menu.

class FakeColorPicker final : public ui::ColorPicker {
 public:
  bool Execute(HWND, uint32_t& color) override {
    presets.push_back(color);
    if (!choose) return false;
    color = answer;
    return true;
  }
  std::vector<uint32_t> presets;
  bool choose = true;
  uint32_t answer = 0x123456;
};

// A ZIP archive holding the empty file "inner.txt", stored (made from the header layouts).
std::string OneMemberZip() {
  std::string z;
  auto u16 = [&](unsigned v) { z += char(v & 0xFF), z += char(v >> 8); };
  auto u32 = [&](unsigned v) { u16(v & 0xFFFF), u16(v >> 16); };
  const std::string name = "inner.txt";
  u32(0x04034B50), u16(10), u16(0), u16(0), u16(0), u16(0x21), u32(0), u32(0), u32(0);
  u16(9), u16(0), z += name;
  u32(0x02014B50), u16(20), u16(10), u16(0), u16(0), u16(0), u16(0x21), u32(0), u32(0), u32(0);
  u16(9), u16(0), u16(0), u16(0), u16(0), u32(0), u32(0), z += name;
  u32(0x06054B50), u16(0), u16(0), u16(1), u16(1), u32(46 + 9), u32(30 + 9), u16(0);
  return z;
}

class AdvancedOptionsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    MakeForm();
    dialog_.SetMessageBoxes(&messages_);
    dialog_.SetColorPicker(&picker_);
    ASSERT_TRUE(dialog_.Create(form()));
    form_->SetForms(&dialog_, nullptr, nullptr);
  }
  // Opens the dialog from the menu and runs `inside` in it.
  void Open(std::function<void()> inside) {
    WhenModal(std::move(inside));
    Command(form(), id::Advancedoptions1);
  }
  HWND Item(int id) const { return GetDlgItem(dialog_.Handle(), id); }
  void ClickItem(int id) { Click(Item(id)); }
  void ChooseColorEntry(int index) {
    HWND combo = Item(ui::advanced_id::ComboBox1);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendCommand(dialog_.Handle(), ui::advanced_id::ComboBox1, CBN_SELCHANGE, combo);
  }
  void TypeColorEntry(const std::string& text) {
    HWND combo = Item(ui::advanced_id::ComboBox1);
    SetWindowTextW(combo, platform::Widen(text).c_str());
    SendCommand(dialog_.Handle(), ui::advanced_id::ComboBox1, CBN_EDITCHANGE, combo);
  }

  ui::TAdvancedOptions dialog_;
  FakeColorPicker picker_;
};

TEST_F(AdvancedOptionsTest, SelectAllAndTheCheckOnOk) {
  namespace aid = ui::advanced_id;
  const settings::AppSettings before = form_->Settings;
  Open([&] {
    ClickItem(aid::SelectAll);  // clears it: every box, "File folders" too
    for (int box = aid::ACE; box <= aid::Folders; ++box)
      EXPECT_EQ(SendMessageW(Item(box), BM_GETCHECK, 0, 0), BST_UNCHECKED) << box;
    ClickItem(aid::Button1);
    Pump();
    ASSERT_EQ(messages_.calls.size(), 1u);
    EXPECT_EQ(messages_.calls[0].text, "You must select at least one archive type.");
    EXPECT_EQ(messages_.calls[0].title, "Error");
    EXPECT_EQ(messages_.calls[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(messages_.calls[0].owner, dialog_.Handle());
    EXPECT_TRUE(dialog_.Showing());
    EXPECT_EQ(form_->Settings.ArchiveTypes.on, before.ArchiveTypes.on);
    // "File folders" alone is a choice.
    ClickItem(aid::Folders);
    ClickItem(aid::Button1);
  });
  EXPECT_FALSE(dialog_.Showing());
  for (int i = 0; i < search::kTypeCount; ++i)
    EXPECT_EQ(form_->Settings.ArchiveTypes.on[i], i == search::kFolders ? 1 : 0) << i;

  // "Select All" keeps its cleared state for the next showing.
  Open([&] {
    EXPECT_EQ(SendMessageW(Item(aid::SelectAll), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(Item(aid::Folders), BM_GETCHECK, 0, 0), BST_CHECKED);
    ClickItem(aid::Button2);
  });

  // The search then matches plain files only: the archive's member is not listed.
  TempFolder tree;
  tree.Write("plain.txt", "x");
  tree.Write("a.zip", OneMemberZip());
  Search("*.*", tree.Root());
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a.zip", "plain.txt"}));
  EXPECT_EQ(messages_.calls.size(), 1u) << "the search was refused";
}

TEST_F(AdvancedOptionsTest, ColoursByFirstLetterSelectAndCancel) {
  namespace aid = ui::advanced_id;
  output::HtmlStyle& html = form_->Settings.Html;
  html.text = 0x000001;
  html.link = 0x000002;
  html.visitedLink = 0x000003;
  const output::HtmlStyle before = html;
  Open([&] {
    EXPECT_EQ(dialog_.SwatchColor(), html.background);
    ChooseColorEntry(ui::kTextColor);
    EXPECT_EQ(dialog_.SwatchColor(), html.text);
    ChooseColorEntry(ui::kLinkColor);
    EXPECT_EQ(dialog_.SwatchColor(), html.link);
    TypeColorEntry("Visited by hand");
    EXPECT_EQ(dialog_.SwatchColor(), html.visitedLink);
    TypeColorEntry("background");  // lower case names nothing
    EXPECT_EQ(dialog_.SwatchColor(), html.visitedLink);

    // "Select..." is preset with the swatch and changes only the colour the text names.
    ChooseColorEntry(ui::kLinkColor);
    ClickItem(aid::Select);
    EXPECT_EQ(picker_.presets.back(), html.link);
    EXPECT_EQ(dialog_.SwatchColor(), 0x123456u);
    EXPECT_EQ(dialog_.WorkingColor(ui::kLinkColor), 0x123456u);
    EXPECT_EQ(dialog_.WorkingColor(ui::kTextColor), html.text);
    picker_.choose = false;  // cancelled: the preset stays
    ClickItem(aid::Select);
    EXPECT_EQ(dialog_.SwatchColor(), 0x123456u);
    ClickItem(aid::CheckBox2);  // hyperlinks off
    ClickItem(aid::Button2);
  });
  // "Cancel" drops everything, and the next showing starts from the settings again.
  EXPECT_EQ(html.link, before.link);
  EXPECT_TRUE(html.hyperlinks);
  Open([&] {
    EXPECT_EQ(dialog_.WorkingColor(ui::kLinkColor), before.link);
    EXPECT_EQ(TextOf(Item(aid::ComboBox1)), "Background color");
    ChooseColorEntry(ui::kVisitedLinkColor);
    picker_.choose = true;
    ClickItem(aid::Select);
    ClickItem(aid::CheckBox8);  // tabs on
    ClickItem(aid::Button1);
  });
  EXPECT_EQ(html.visitedLink, 0x123456u);
  EXPECT_EQ(html.link, before.link);
  EXPECT_EQ(form_->Settings.SaveTextWithTabs, 1);
  EXPECT_TRUE(messages_.calls.empty());
}

TEST_F(AdvancedOptionsTest, ZipCentralDirectoriesBoxReachesTheSearchAndTheRegistry) {
  namespace aid = ui::advanced_id;
  TempFolder tree;
  tree.Write("a.zip", OneMemberZip());
  tree.Write("lib.jar", OneMemberZip());
  Search("inner.txt", tree.Root());
  EXPECT_EQ(Column(1).size(), 1u) << "off: a .jar is not opened";
  Open([&] {
    EXPECT_EQ(SendMessageW(Item(aid::ZipCentralDirectory), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ClickItem(aid::ZipCentralDirectory);
    ClickItem(aid::Button1);
  });
  EXPECT_EQ(form_->Settings.Options.ZipCentralDirectory, 1);
  Search("inner.txt", tree.Root());
  std::vector<std::string> containers = Column(1);
  std::sort(containers.begin(), containers.end());  // in the order the folder lists them
  EXPECT_EQ(containers,
            (std::vector<std::string>{tree.Root() + "\\a.zip", tree.Root() + "\\lib.jar"}));
  SendMessageW(form(), WM_CLOSE, 0, 0);
  Pump();
  ASSERT_NE(store_.Find(settings::kMainKey, "ZipCentralDirectory"), nullptr);
  EXPECT_EQ(store_.Find(settings::kMainKey, "ZipCentralDirectory")->number, 1u);
}

// ---------------------------------------------------------------------------------------
// The About box.

class AboutBoxTest : public FormTest {};

TEST_F(AboutBoxTest, LinksOpenAndTurnRedCreditsAndOk) {
  namespace bid = ui::about_id;
  MakeForm();
  ui::TAboutBox about(IDI_QUILLOW);
  about.SetMessageBoxes(&messages_);
  about.SetShell(&shell_);
  ASSERT_TRUE(about.Create(form()));
  form_->SetForms(nullptr, &about, nullptr);
  WhenModal([&] {
    const HWND box = about.Handle();
    EXPECT_EQ(about.EMailColor(), RGB(0, 0, 255));
    for (int twice = 0; twice < 2; ++twice)
      SendCommand(box, bid::EMail, STN_CLICKED, about.EMail.Handle());
    SendCommand(box, bid::Homepage, STN_CLICKED, about.Homepage.Handle());
    Click(about.Button1.Handle());
    Click(about.OKButton.Handle());
  });
  Command(form(), id::AboutQuillow1);
  EXPECT_FALSE(about.Showing());

  const std::string mail = std::string("mailto:") + ui::kEMailAddress;
  EXPECT_EQ(shell_.opened, (std::vector<std::string>{mail, mail, ui::kHomePage}));
  EXPECT_EQ(shell_.showCommands, (std::vector<int>{SW_SHOWNORMAL, SW_SHOWNORMAL, SW_SHOWNORMAL}));
  EXPECT_EQ(about.EMailColor(), RGB(255, 0, 0));
  EXPECT_EQ(about.HomepageColor(), RGB(255, 0, 0));
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].title, "Additional credits");
  EXPECT_EQ(messages_.calls[0].type, static_cast<UINT>(MB_OK));
  EXPECT_NE(messages_.calls[0].text.find("zlib"), std::string::npos);
  EXPECT_NE(messages_.calls[0].text.find("GoogleTest"), std::string::npos);
}

}  // namespace
}  // namespace quillow::test
