// Opening results by double click: folder rows and other archives through the shell as they
// are, ZIP members extracted once into the temporary folder under their lower-cased name,
// the overwrite question, and bad input that is told and leaves no file the window forgets.
#include "gui_test_util.h"
#include "platform/win32/text.h"
#include "ui/dialogs/password/password_dialog.h"
#include "zip/component/zip_component.h"
#include "zip/zip_test_util.h"

namespace quillow::test {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

fs::path FromUtf8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

std::string Utf8(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// Stored bytes of members beyond ASCII: code page 437, and UTF-8 with and without its flag.
constexpr char kDos[] =
    "\x81"
    "ber.txt";
constexpr char kFlagged[] = "\xC3\x89t\xC3\xA9.txt";
constexpr char kUnflagged[] = "\xC3\xA0 unix.txt";

class OpenResultTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    tree_ = std::make_unique<TempFolder>();
    temp_ = std::make_unique<TempFolder>();
    tree_->Write("docs\\Report.DOC", "report");
    tree_->Write("a\\b.ZIP", BuildZip({{"docs/Read Me.TXT", "read me", 8},
                                       {"x/a.txt", "from x", 0},
                                       {"y/a.txt", "from y", 0},
                                       {kDos, "named " + std::string(kDos), 8},
                                       {kFlagged, "named " + std::string(kFlagged), 8, -1, 0x0800},
                                       {kUnflagged, "named " + std::string(kUnflagged), 8},
                                       {"../evil.txt", "escape", 0},
                                       {"odd.txt", "unknown method", 99},
                                       {"nul.txt", "device", 0},
                                       {"b?.txt", "wildcard", 0},
                                       {"bz.txt", "not chosen", 0}}));
    fs::copy_file(QUILLOW_TEST_DATA "/arj/stored.arj", tree_->Path("a\\b.arj"));
    fs::copy_file(QUILLOW_TEST_DATA "/zip/encrypted.zip", tree_->Path("a\\e.zip"));
    UseTemporaryFolder(temp_->Root());
    MakeForm();
    form_->ZipComponent->SetDLLDirectory(QUILLOW_ZIP_DLL_DIR);
  }
  void TearDown() override {
    FormTest::TearDown();
    SetEnvironmentVariableW(L"TMP", savedTmp_.empty() ? nullptr : savedTmp_.c_str());
    temp_.reset();
    tree_.reset();
  }
  void UseTemporaryFolder(const std::string& folder) {
    if (savedTmp_.empty()) {
      wchar_t buffer[MAX_PATH] = {};
      GetEnvironmentVariableW(L"TMP", buffer, MAX_PATH);
      savedTmp_ = buffer;
    }
    SetEnvironmentVariableW(L"TMP", fs::path(folder).wstring().c_str());
  }
  HWND List() const { return Control(id::Results); }
  // The row showing `file` in `container`; -1 when there is none.
  int RowOf(const std::string& file, const std::string& container) const {
    for (int i = 0; i < RowCount(List()); ++i)
      if (Cell(List(), i, 0) == file && Cell(List(), i, 1) == container) return i;
    return -1;
  }
  // Selects exactly these rows, then double-clicks the list.
  void DoubleClick(std::initializer_list<int> rows) {
    ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
    for (int row : rows) {
      ASSERT_GE(row, 0);
      ListView_SetItemState(List(), row, LVIS_SELECTED, LVIS_SELECTED);
    }
    NMITEMACTIVATE activate{};
    activate.hdr = {List(), static_cast<UINT_PTR>(id::Results), NM_DBLCLK};
    activate.iItem = -1;  // the row under the mouse plays no part
    SendMessageW(form(), WM_NOTIFY, id::Results, reinterpret_cast<LPARAM>(&activate));
    Pump();
  }
  void OpenZipMember(const std::string& shown) { DoubleClick({RowOf(shown, Zip())}); }
  std::string Zip() const { return tree_->Path("a\\b.ZIP"); }
  std::string InTemp(const std::string& leaf) const { return Lower(temp_->Root() + "\\" + leaf); }
  // Every file in the temporary folder is one the window will delete.
  void ExpectOnlyListedFiles() const {
    const auto& listed = form_->TemporaryFiles();
    for (const auto& entry : fs::directory_iterator(temp_->Root())) {
      const std::string path = Lower(Utf8(entry.path()));
      EXPECT_NE(std::find(listed.begin(), listed.end(), path), listed.end()) << path;
    }
  }

  std::unique_ptr<TempFolder> tree_, temp_;
  std::wstring savedTmp_;
};

TEST_F(OpenResultTest, FolderRowsAndOtherArchivesOpenAsTheyAreTheFirstSelectedRowCounting) {
  Search("*.doc hello.txt readme.txt", tree_->Root());
  const int report = RowOf("Report.DOC", tree_->Path("docs") + "\\");
  const int hello = RowOf("hello.txt", tree_->Path("a\\b.arj"));
  const int readme = RowOf("readme.txt", tree_->Path("a\\b.arj"));
  DoubleClick({report});
  DoubleClick({hello});
  DoubleClick({readme, report});  // list order decides, whichever row the mouse is on
  DoubleClick({});
  EXPECT_EQ(shell_.opened,
            (Texts{tree_->Path("docs\\Report.DOC"), tree_->Path("a\\b.arj"),
                   report < readme ? tree_->Path("docs\\Report.DOC") : tree_->Path("a\\b.arj")}));
  EXPECT_EQ(shell_.showCommands, (std::vector<int>{SW_SHOW, SW_SHOW, SW_SHOW}));
  EXPECT_TRUE(messages_.calls.empty());
  EXPECT_TRUE(form_->TemporaryFiles().empty());
  EXPECT_TRUE(fs::is_empty(temp_->Root()));
}

TEST_F(OpenResultTest, ZipMembersAreExtractedOnceUnderTheirLowerCaseNameAndDeletedAtClose) {
  Search("*.txt", tree_->Root());
  OpenZipMember("docs/Read Me.TXT");
  const std::string readMe = InTemp("read me.txt");
  ASSERT_EQ(shell_.opened, Texts{readMe});
  EXPECT_EQ(ReadBytes(fs::path(readMe)), "read me");

  // Listed: opened again as it is now, neither extracted nor asked about.
  std::ofstream(fs::path(readMe), std::ios::binary | std::ios::trunc) << "edited";
  OpenZipMember("docs/Read Me.TXT");
  EXPECT_EQ(ReadBytes(fs::path(readMe)), "edited");

  // Same base name in another folder: the first one's copy stands for both.
  OpenZipMember("x/a.txt");
  OpenZipMember("y/a.txt");
  EXPECT_EQ(ReadBytes(fs::path(InTemp("a.txt"))), "from x");
  EXPECT_EQ(shell_.opened, (Texts{readMe, readMe, InTemp("a.txt"), InTemp("a.txt")}));

  // Names beyond ASCII open by the name the list shows; only A to Z are lowered.
  const std::pair<std::string, std::string> names[] = {
      {kDos, "\u00fcber.txt"}, {kFlagged, kFlagged}, {kUnflagged, kUnflagged}};
  for (const auto& [stored, shown] : names) {
    OpenZipMember(shown);
    EXPECT_EQ(shell_.opened.back(), InTemp(shown));
    EXPECT_EQ(ReadBytes(FromUtf8(InTemp(shown))), "named " + stored);
  }
  EXPECT_TRUE(messages_.calls.empty()) << messages_.calls[0].text;
  EXPECT_EQ(form_->TemporaryFiles().size(), 5u);
  ExpectOnlyListedFiles();

  SendMessageW(form(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(fs::is_empty(temp_->Root()));
}

TEST_F(OpenResultTest, ALeftOverFileIsReplacedOnlyWhenTheUserSaysYes) {
  temp_->Write("Read Me.txt", "left over");
  Search("*.txt", tree_->Root());
  messages_.answer = IDNO;
  OpenZipMember("docs/Read Me.TXT");
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].text,
            "This file already exists in the temporary folder.\nDo you want to overwrite it?");
  EXPECT_EQ(messages_.calls[0].title, "Warning");
  EXPECT_EQ(messages_.calls[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_TRUE(form_->TemporaryFiles().empty());
  EXPECT_EQ(ReadBytes(fs::path(temp_->Path("Read Me.txt"))), "left over");

  messages_.answer = IDYES;
  OpenZipMember("docs/Read Me.TXT");
  EXPECT_EQ(messages_.calls.size(), 2u);  // asked again, since No listed nothing
  EXPECT_EQ(shell_.opened, Texts{InTemp("read me.txt")});
  EXPECT_EQ(ReadBytes(fs::path(temp_->Path("Read Me.txt"))), "read me");
}

// The "Password" box of this thread is answered with `g_answer` once it shows.
std::string g_answer;
void CALLBACK AnswerPassword(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(nullptr, platform::Widen(ui::kPasswordCaption).c_str());
  if (!box || !IsWindowVisible(box)) return;
  KillTimer(nullptr, timer);
  SetWindowTextW(GetDlgItem(box, ui::kPasswordEditId), platform::Widen(g_answer).c_str());
  Click(GetDlgItem(box, IDOK));
}

TEST_F(OpenResultTest, RefusedMembersAndMissingArchiveOrFolderAreToldAndLeaveNoStrayFile) {
  Search("*.txt", tree_->Root());
  // A member not written is neither opened nor remembered: the next double click tries
  // again and says so again. A password is asked for an encrypted member each time.
  struct Case {
    std::string member, archive;
    std::string password;  // empty: no box expected
    std::string said;      // part of the one message shown
  } cases[] = {
      {"../evil.txt", Zip(), "", "refused"},
      {"odd.txt", Zip(), "", "AES encryption is not supported"},
      {"nul.txt", Zip(), "", "\"nul.txt\" cannot be opened: reserved device name."},
      {"b?.txt", Zip(), "", "\"b?.txt\" cannot be opened: character not allowed in a file name."},
      {"locked.txt", tree_->Path("a\\e.zip"), "wrong", "locked.txt: wrong password"},
  };
  for (const Case& c : cases) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      SCOPED_TRACE(c.member + " " + std::to_string(attempt));
      messages_.calls.clear();
      g_answer = c.password;
      if (!c.password.empty()) SetTimer(nullptr, 0, 20, AnswerPassword);
      DoubleClick({RowOf(c.member, c.archive)});
      ASSERT_EQ(messages_.calls.size(), 1u);
      EXPECT_NE(messages_.calls[0].text.find(c.said), std::string::npos) << messages_.calls[0].text;
    }
  }
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_TRUE(form_->TemporaryFiles().empty());
  EXPECT_TRUE(fs::is_empty(temp_->Root()));
  g_answer = "secret";
  SetTimer(nullptr, 0, 20, AnswerPassword);
  DoubleClick({RowOf("locked.txt", tree_->Path("a\\e.zip"))});
  EXPECT_EQ(shell_.opened, Texts{InTemp("locked.txt")});
  EXPECT_EQ(ReadBytes(fs::path(InTemp("locked.txt"))), "locked away\n");
  EXPECT_TRUE(form_->ZipComponent->Password.empty());
  ExpectOnlyListedFiles();
  messages_.calls.clear();

  // The temporary folder is gone: nothing is extracted anywhere else.
  const std::string missing = temp_->Path("gone");
  UseTemporaryFolder(missing);
  messages_.calls.clear();
  const size_t opened = shell_.opened.size();
  OpenZipMember("x/a.txt");
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].title, "Error");
  EXPECT_NE(messages_.calls[0].text.find(missing), std::string::npos);
  EXPECT_EQ(shell_.opened.size(), opened);
  EXPECT_FALSE(fs::exists(fs::current_path() / "a.txt"));

  // The archive changed after the search, then went: each is told.
  UseTemporaryFolder(temp_->Root());
  tree_->Write("a\\b.ZIP", BuildZip({{"other.txt", "other", 0}}));
  messages_.calls.clear();
  OpenZipMember("x/a.txt");
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_NE(messages_.calls[0].text.find("x/a.txt: no member of that name"), std::string::npos);
  fs::remove(fs::path(Zip()));
  OpenZipMember("docs/Read Me.TXT");
  ASSERT_EQ(messages_.calls.size(), 2u);
  EXPECT_EQ(messages_.calls[1].text, "Error - no zip file specified");
  EXPECT_EQ(form_->TemporaryFiles(), Texts{InTemp("locked.txt")});
  ExpectOnlyListedFiles();
}

}  // namespace
}  // namespace quillow::test
