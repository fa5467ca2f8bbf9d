// Extracting selected ZIP members: the checks of the request, the folder "ZIP file
// extraction" returns, and the window's extraction through the real UNZDLL.DLL with what it
// says about members it did not write.
#include <filesystem>
#include <map>

#include "gui_test_util.h"
#include "platform/win32/text.h"
#include "ui/dialogs/password/password_dialog.h"
#include "ui/dialogs/zipext/zipext.h"
#include "ui/dialogs/zipext/zipext_ids.h"
#include "zip/component/zip_component.h"
#include "zip/zip_test_util.h"

namespace quillow::test {
namespace {

namespace zid = ui::zipext_id;

std::function<void()> g_inside;
void CALLBACK RunInside(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto inside = std::move(g_inside);
  if (inside) inside();
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The next "Password" box is answered with `g_password` (OK), or cancelled when it is empty.
std::string g_password;
std::string g_passwordPrompt;
void CALLBACK AnswerPassword(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(nullptr, platform::Widen(ui::kPasswordCaption).c_str());
  if (!box || !IsWindowVisible(box)) return;
  KillTimer(nullptr, timer);
  g_passwordPrompt = TextOf(FindWindowExW(box, nullptr, L"STATIC", nullptr));
  SetWindowTextW(GetDlgItem(box, ui::kPasswordEditId), platform::Widen(g_password).c_str());
  Click(GetDlgItem(box, g_password.empty() ? IDCANCEL : IDOK));
}

// Each row of b.ZIP comes a second time with its archive spelled in lower case.
class LowerCaseCopies final : public search::ForwardingHost {
 public:
  using search::ForwardingHost::ForwardingHost;
  void AddRow(search::ResultRow&& row) override {
    std::vector<search::ResultRow> rows{std::move(row)};
    AddRows(std::move(rows));
  }
  void AddRows(std::vector<search::ResultRow>&& rows) override {
    std::vector<search::ResultRow> out;
    for (search::ResultRow& r : rows) {
      const bool fromB = r.container.ends_with("b.ZIP");
      out.push_back(r);
      if (fromB) {
        out.push_back(std::move(r));
        out.back().container.replace(out.back().container.size() - 3, 3, "zip");
      }
    }
    next_.AddRows(std::move(out));
  }
};

class ExtractTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    wrapHost_ = [](search::SearchHost& next) { return std::make_unique<LowerCaseCopies>(next); };
    MakeForm();
    dialog_.SetMessageBoxes(&messages_);
    dialog_.SetFolderBrowser(&browser_);
    ASSERT_TRUE(dialog_.Create(form()));
    form_->SetForms(nullptr, nullptr, &dialog_);
    form_->ZipComponent->SetDLLDirectory(QUILLOW_ZIP_DLL_DIR);
    const std::string zip = Bytes(std::string(QUILLOW_TEST_DATA) + "/zip/basic.zip");
    const std::string rar = Bytes(std::string(QUILLOW_SAMPLES) + "/rar/rar3-one-file.rar");
    ASSERT_FALSE(zip.empty() || rar.empty()) << "test data missing under " QUILLOW_TEST_DATA;
    tree_.Write("in/a.zip", zip);
    tree_.Write("in/b.ZIP", zip);
    tree_.Write("in/c.rar", rar);
    tree_.Write("in/plain.txt", "x");
    // Names that hold wildcards, a device name, and members the library cannot write.
    tree_.Write("in/d.zip", BuildZip({{"a*.txt", "star", 0},
                                      {"abc.txt", "abc", 0},
                                      {"axe.txt", "axe", 8},
                                      {"nul.txt", "device", 0},
                                      {"odd.txt", "unknown method", 99},
                                      {"keep.txt", "from the archive", 0},
                                      {"good.txt", "good", 8}}));
    tree_.Write("in/e.zip", Bytes(std::string(QUILLOW_TEST_DATA) + "/zip/encrypted.zip"));
    tree_.Folder("out");
    tree_.Folder("cwd");
    Search("*.*", tree_.Path("in"));
    for (const auto& m : messages_.calls) ADD_FAILURE() << m.text;
  }
  void TearDown() override {
    form_->ZipComponent->Unload_Unz_Dll();
    FormTest::TearDown();
  }

  // The row of a member whose name ends in `file`, in an archive whose path ends in
  // `archive`.
  size_t Row(const std::string& file, const std::string& archive) const {
    const auto& rows = form_->Rows();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].file.ends_with(file) && rows[i].container.ends_with(archive)) return i;
    ADD_FAILURE() << "no row " << file << " in " << archive << " among " << rows.size();
    return 0;
  }
  void Select(const std::vector<size_t>& rows) {
    form_->Results.ClearSelection();
    for (size_t i : rows) form_->Results.Select(i, i == rows.front());
  }
  // The request from the pop-up menu; `inside` runs in the dialog once it is up, and closes
  // it.
  void Request(std::function<void()> inside) {
    bool ran = false;
    g_inside = [&] {
      ran = true;
      if (dialog_.Showing()) inside();
    };
    SetTimer(nullptr, 0, 10, RunInside);
    Command(form(), id::Extract1);
    ASSERT_TRUE(PumpUntil([&] { return ran; }));
  }
  HWND Item(int id) const { return GetDlgItem(dialog_.Handle(), id); }
  bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetItemText(int id, const std::string& text) {
    SetWindowTextW(Item(id), platform::Widen(text).c_str());
  }
  zip::TZipComponent& Zip() { return *form_->ZipComponent; }

  TempFolder tree_;
  ui::TZipOptions dialog_;
};

TEST_F(ExtractTest, EachRefusalInItsOrderAndNoDialog) {
  const std::string onlyZip =
      "This version of Quillow can only\nextract from ZIP files. Try double-clicking\non one "
      "of the selected files instead.\nIf there is a program associated with\nthat type of "
      "archive, Quillow will launch it.";
  const std::string oneArchive = "You must extract files from\nonly one ZIP archive at a time.";
  const size_t aBig = Row("big.TXT", "a.zip"), bOne = Row("one.bin", "b.ZIP");
  const size_t bOneLower = Row("one.bin", "b.zip"), rar = Row("", "c.rar");
  const size_t plain = Row("plain.txt", "\\");
  ASSERT_LT(aBig, rar) << "the RAR row must come after the ZIP row";
  struct Case {
    std::vector<size_t> rows;
    std::string text, title;
    std::vector<std::string> gathered;  // the names that stay in the component
  } cases[] = {
      {{}, "You must select at least\none file to extract.", "Error", {}},
      {{aBig, rar}, onlyZip, "Error", {form_->Rows()[aBig].file}},
      {{plain}, onlyZip, "Error", {}},
      {{bOne, bOneLower}, oneArchive, "Sorry", {form_->Rows()[bOne].file}},
      {{aBig, bOne}, oneArchive, "Sorry", {form_->Rows()[aBig].file}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Zip().FSpecArgs = {"left over"};
    Select(c.rows);
    messages_.calls.clear();
    Request([&] {
      ADD_FAILURE() << "the dialog opened";
      Click(Item(zid::Button2));
    });
    ASSERT_EQ(messages_.calls.size(), 1u);
    EXPECT_EQ(messages_.calls[0].text, c.text);
    EXPECT_EQ(messages_.calls[0].title, c.title);
    EXPECT_EQ(messages_.calls[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(Zip().FSpecArgs, c.rows.empty() ? std::vector<std::string>{"left over"} : c.gathered);
  }
  EXPECT_TRUE(std::filesystem::is_empty(tree_.Path("out")));
}

TEST_F(ExtractTest, OkExtractsTheNamesInDisplayOrderShowingEachFile) {
  const size_t big = Row("big.TXT", "a.zip"), readme = Row("readme.txt", "a.zip");
  const std::string out = tree_.Path("out");
  std::vector<std::string> panels, progress;
  bool hourglass = true, optionsHidden = true;
  Zip().OnProgress = [&](zip::TZipComponent&, zip::ProgrType type, const std::string&, int32_t) {
    if (type != zip::ProgressFileStart) return;
    panels.push_back(Panel(Control(id::StatusBar1), 2));
    progress.push_back(TextOf(Item(zid::Progress1)) + " " + TextOf(Item(zid::Progress2)));
    hourglass = hourglass && GetCursor() == LoadCursorW(nullptr, IDC_WAIT);
    optionsHidden = optionsHidden && !IsWindowVisible(Item(zid::CheckBox1)) &&
                    IsWindowVisible(Item(zid::Progress1)) && !IsWindowEnabled(Item(zid::Button1));
  };
  const std::string before = Panel(Control(id::StatusBar1), 2);
  Select({big, readme});
  Request([&] {
    EXPECT_EQ(Zip().ZipFilename(), tree_.Path("in\\a.zip"));
    EXPECT_EQ(Zip().GetCount(), 4);  // listed when the name was set
    const auto& rows = form_->Rows();
    const std::vector<std::string> ordered = big < readme
                                                 ? std::vector{rows[big].file, rows[readme].file}
                                                 : std::vector{rows[readme].file, rows[big].file};
    EXPECT_EQ(Zip().FSpecArgs, ordered);
    // The form as it first shows.
    EXPECT_EQ(TextOf(dialog_.Handle()), "ZIP file extraction");
    RECT client{};
    GetClientRect(dialog_.Handle(), &client);
    EXPECT_EQ(client.right, MulDiv(358, dialog_.Dpi(), 96));
    EXPECT_EQ(client.bottom, MulDiv(99, dialog_.Dpi(), 96));
    EXPECT_TRUE(GetWindowLongPtrW(dialog_.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongPtrW(dialog_.Handle(), GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(TextOf(Item(zid::Label3)), "Extract to:");
    EXPECT_EQ(TextOf(Item(zid::Folder)), "C:\\");
    EXPECT_EQ(TextOf(Item(zid::Button3)), "Browse...");
    EXPECT_EQ(TextOf(Item(zid::CheckBox1)), "Extract with folder names");
    EXPECT_EQ(TextOf(Item(zid::CheckBox2)), "Overwrite files");
    EXPECT_TRUE(Checked(zid::CheckBox1) && Checked(zid::CheckBox2));
    EXPECT_EQ(GetFocus(), Item(zid::Folder));
    EXPECT_FALSE(IsWindowVisible(Item(zid::Progress1)));
    EXPECT_EQ(dialog_.BrowseFolder.Directory, "C:\\");
    EXPECT_EQ(dialog_.BrowseFolder.Flags, ui::bfFileSysDirsOnly | ui::bfStatusText);
    EXPECT_FALSE(dialog_.BrowseFolder.ShowPathInStatusArea);

    // "Browse..." starts from the typed folder; cancelled, it leaves the text alone.
    SetItemText(zid::Folder, tree_.Root());
    Click(Item(zid::Button3));
    EXPECT_EQ(browser_.starts.back(), tree_.Root());
    EXPECT_EQ(TextOf(Item(zid::Folder)), tree_.Root());
    browser_.choice = out;
    Click(Item(zid::Button3));
    EXPECT_EQ(TextOf(Item(zid::Folder)), out);
    Click(Item(zid::Button1));
  });
  EXPECT_TRUE(messages_.calls.empty()) << messages_.calls.front().text;
  EXPECT_EQ(Zip().ExtrBaseDir, out);
  EXPECT_EQ(Zip().ExtrOptions, (zip::ExtrOpts{zip::ExtrDirNames, zip::ExtrOverWrite}));
  EXPECT_TRUE(Zip().FSpecArgs.empty());
  EXPECT_EQ(Bytes(tree_.Path("out\\docs\\readme.txt")).size(), 8u);
  EXPECT_EQ(Bytes(tree_.Path("out\\big.TXT")).size(), 6200u);
  EXPECT_FALSE(std::filesystem::exists(tree_.Path("out\\one.bin")));
  ASSERT_EQ(panels.size(), 2u);
  EXPECT_TRUE(panels[0].ends_with(big < readme ? "big.TXT" : "readme.txt")) << panels[0];
  EXPECT_EQ(progress[0], "Extracting file 1 of 2: " + form_->Rows()[std::min(big, readme)].file);
  EXPECT_EQ(progress[1], "Extracting file 2 of 2: " + form_->Rows()[std::max(big, readme)].file);
  EXPECT_TRUE(hourglass);
  EXPECT_TRUE(optionsHidden);
  EXPECT_EQ(Panel(Control(id::StatusBar1), 2), before);

  // The form keeps what was set; without folder names and without overwriting, the file
  // already there stays as it is.
  tree_.Write("out/readme.txt", "kept");
  // The focus was left on "Cancel": the form still opens on the folder.
  Select({readme});
  Request([&] {
    EXPECT_EQ(TextOf(Item(zid::Folder)), out);
    EXPECT_TRUE(Checked(zid::CheckBox1) && Checked(zid::CheckBox2));
    EXPECT_TRUE(IsWindowVisible(Item(zid::CheckBox1)));
    SetFocus(Item(zid::Button2));
    Click(Item(zid::Button2));
  });
  Request([&] {
    EXPECT_EQ(GetFocus(), Item(zid::Folder));
    Click(Item(zid::CheckBox1));
    Click(Item(zid::CheckBox2));
    Click(Item(zid::Button1));
  });
  EXPECT_EQ(Zip().ExtrOptions, zip::ExtrOpts{});
  EXPECT_EQ(Bytes(tree_.Path("out\\readme.txt")), "kept");
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].text, "docs/readme.txt: file exists, not overwritten");
}

TEST_F(ExtractTest, OkTakesOnlyAFullPathToAFolderAndMakesAMissingOneWhenAsked) {
  const size_t one = Row("one.bin", "b.ZIP");
  tree_.Write("afile", "x");
  ASSERT_TRUE(platform::SetCurrentFolder(tree_.Path("cwd")));
  const std::string missing = tree_.Path("new\\deeper");
  const std::string question = "The folder \"" + missing + "\" does not exist. Create it?";
  struct Case {
    std::string typed;
    int answer;
    std::string said;  // the one message; the form stays up unless the folder is taken
    bool extracts;
  } cases[] = {
      {"", IDOK, "Type the folder to extract to.", false},
      {"out", IDOK,
       "\"out\" is not a full path. Type the folder with its drive, for example "
       "C:\\Extracted.",
       false},
      {tree_.Path("afile"), IDOK, "\"" + tree_.Path("afile") + "\" is a file, not a folder.",
       false},
      {missing, IDNO, question, false},
      {missing, IDYES, question, true},
  };
  Select({one});
  Request([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.typed);
      SetItemText(zid::Folder, c.typed);
      messages_.calls.clear();
      messages_.answer = c.answer;
      Click(Item(zid::Button1));
      ASSERT_EQ(messages_.calls.size(), 1u);
      EXPECT_EQ(messages_.calls[0].text, c.said);
      EXPECT_EQ(messages_.calls[0].title, c.answer == IDOK ? "Error" : "Warning");
      EXPECT_EQ(messages_.calls[0].type & MB_TYPEMASK,
                static_cast<UINT>(c.answer == IDOK ? MB_OK : MB_YESNO));
      // An accepted form closes once this handler returns to its loop.
      EXPECT_EQ(std::filesystem::exists(tree_.Path("new")), c.extracts);
    }
  });
  EXPECT_FALSE(dialog_.Showing());
  EXPECT_EQ(Bytes(missing + "\\one.bin"), "x");
  EXPECT_EQ(dialog_.Choices().folder, missing);
  EXPECT_TRUE(std::filesystem::is_empty(tree_.Path("cwd")));

  // Cancel extracts nothing; the names stay in the component until the next request.
  Request([&] { Click(Item(zid::Button2)); });
  EXPECT_EQ(Zip().FSpecArgs, std::vector<std::string>{form_->Rows()[one].file});
  EXPECT_TRUE(std::filesystem::is_empty(tree_.Path("out")));
}

// What the library did not write is said in one message, in its words; an encrypted member
// is extracted after the others with the password asked once; a name with wildcards stands
// for that member alone.
TEST_F(ExtractTest, EachMemberNotWrittenIsToldWithTheLibrarysReason) {
  struct Case {
    std::vector<std::string> members;
    std::string archive;
    std::string password;                      // empty: the box is cancelled; "-": no box expected
    std::string said;                          // the whole message; empty: none
    std::map<std::string, std::string> files;  // what "out" holds besides the user's two
  } cases[] = {
      {{"a*.txt"}, "d.zip", "-", "a*.txt: refused, character not allowed in a file name", {}},
      {{"nul.txt", "odd.txt", "keep.txt", "good.txt"},
       "d.zip",
       "-",
       "1 of 4 files were extracted. Not extracted:\n\nnul.txt: refused, reserved device name\n"
       "odd.txt: AES encryption is not supported, skipped\nkeep.txt: file exists, not "
       "overwritten",
       {{"good.txt", "good"}}},
      {{"locked.txt", "open.txt"},
       "e.zip",
       "secret",
       "",
       {{"locked.txt", "locked away\n"}, {"open.txt", "open to all\n"}}},
      {{"locked.txt"}, "e.zip", "wrong", "locked.txt: wrong password", {}},
      {{"locked.txt"}, "e.zip", "", "locked.txt: encrypted and no password given, skipped", {}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.members.front());
    // A folder of its own each time: the last one is still the current folder.
    const std::string folder = "out" + std::to_string(++n);
    const std::string out = tree_.Path(folder);
    tree_.Write(folder + "/abc.txt", "mine");
    tree_.Write(folder + "/keep.txt", "mine");
    std::vector<size_t> rows;
    for (const std::string& m : c.members) rows.push_back(Row(m, c.archive));
    Select(rows);
    messages_.calls.clear();
    g_passwordPrompt.clear();
    g_password = c.password;
    if (c.password != "-") SetTimer(nullptr, 0, 20, AnswerPassword);
    Request([&] {
      SetItemText(zid::Folder, out);
      if (Checked(zid::CheckBox2)) Click(Item(zid::CheckBox2));
      Click(Item(zid::Button1));
    });
    EXPECT_EQ(g_passwordPrompt, c.password == "-" ? "" : "Enter Password");
    EXPECT_TRUE(Zip().Password.empty());
    if (c.said.empty()) {
      EXPECT_TRUE(messages_.calls.empty()) << messages_.calls.front().text;
    } else {
      ASSERT_EQ(messages_.calls.size(), 1u);
      EXPECT_EQ(messages_.calls[0].text, c.said);
      EXPECT_EQ(messages_.calls[0].title, "Warning");
    }
    std::map<std::string, std::string> expected = c.files;
    expected.insert({{"abc.txt", "mine"}, {"keep.txt", "mine"}});
    EXPECT_EQ(FilesBelow(out), expected);
  }
}

TEST_F(ExtractTest, CancelWhileExtractingStopsTheWork) {
  const std::string out = tree_.Path("out");
  Select({Row("big.TXT", "a.zip"), Row("one.bin", "a.zip")});
  bool clicked = false;
  Zip().OnProgress = [&](zip::TZipComponent&, zip::ProgrType type, const std::string&, int32_t) {
    if (type != zip::ProgressFileStart || clicked) return;
    clicked = true;
    Click(Item(zid::Button2));
  };
  Request([&] {
    SetItemText(zid::Folder, out);
    Click(Item(zid::Button1));
  });
  EXPECT_TRUE(clicked);
  EXPECT_FALSE(dialog_.Showing());
  EXPECT_TRUE(std::filesystem::is_empty(out));
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_NE(messages_.calls[0].text.find("0 of 2 files were extracted"), std::string::npos)
      << messages_.calls[0].text;
  EXPECT_NE(messages_.calls[0].text.find("stopped"), std::string::npos);
}

}  // namespace
}  // namespace quillow::test
