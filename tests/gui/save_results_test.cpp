// "Save Results As..." and "Append Results to Text File..." through the window: the two
// dialogs, the format decision, the files written byte for byte, the large-HTML question,
// the viewer, and writes that fail without harming what was there.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>

#include "core/expected_rows.h"
#include "gui_test_util.h"
#include "platform/win32/file_write.h"
#include "platform/win32/text.h"
#include "zip/core/unzip.h"
#include "zip/core/zip_writer.h"
#include "zip/sfx/sfx_convert.h"
#include "zip/zip_test_util.h"

namespace quillow::test {
namespace {

// Stands in for the rows of a search: the first hit brings these rows instead.
class ScriptedRows final : public search::SearchHost {
 public:
  ScriptedRows(search::SearchHost& next, const std::vector<search::ResultRow>& rows)
      : next_(next), rows_(rows) {}
  void Refuse() override { next_.Refuse(); }
  std::string LookInText() override { return next_.LookInText(); }
  std::string FindFilesText() override { return next_.FindFilesText(); }
  void ReplaceLookInText(const std::string& q) override { next_.ReplaceLookInText(q); }
  void RecordHistories(const std::string& f, const std::string& l) override {
    next_.RecordHistories(f, l);
  }
  void StartOfSearch() override { next_.StartOfSearch(); }
  void ShowElapsed(uint32_t s) override { next_.ShowElapsed(s); }
  void ShowLookingIn(const std::string& f) override { next_.ShowLookingIn(f); }
  void ShowFoundCount(int32_t n) override { next_.ShowFoundCount(n); }
  void AddRow(search::ResultRow&&) override {
    for (const search::ResultRow& row : rows_) next_.AddRow(search::ResultRow(row));
  }
  void EndOfSearch(int32_t n) override { next_.EndOfSearch(n); }
  void OpenWarnings(const std::string& p) override { next_.OpenWarnings(p); }
  void FinalSort() override { next_.FinalSort(); }

 private:
  search::SearchHost& next_;
  const std::vector<search::ResultRow>& rows_;
};

using testing_rows::ExpectedRows;

std::string ReadAll(const std::string& path) {
  std::ifstream in(std::filesystem::path(platform::Widen(path)), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Expected(const char* name) {
  return ReadAll(std::string(QUILLOW_TEST_DATA) + "/expected/" + name);
}

class SaveResultsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    wrapHost_ = [this](search::SearchHost& next) {
      return std::make_unique<ScriptedRows>(next, rows_);
    };
  }
  // A window whose list holds `rows`, as a search left it.
  void ShowRows(std::vector<search::ResultRow> rows) {
    rows_ = std::move(rows);
    if (!form_) MakeForm();
    home_->Write("hit\\x.txt", "x");
    Search("x.txt", home_->Path("hit"));
    ASSERT_EQ(RowCount(Control(id::Results)), static_cast<int>(rows_.size()));
  }
  void Choose(const std::string& file, int filter, int command) {
    dialogs_.answers.push_back({file, filter});
    Command(form(), command);
  }

  std::vector<search::ResultRow> rows_;
};

TEST_F(SaveResultsTest, SaveAndAppendWriteTheLayoutsTheDialogsAsked) {
  ShowRows(ExpectedRows());
  const std::string folder = home_->Root() + "\\";
  // A Unicode name, the text filter, no extension: ".txt" is added.
  Choose(folder + "r\xC3\xA9sultats", 1, id::Save1);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  const ui::SaveFileDialog& first = dialogs_.shown[0];
  EXPECT_EQ(first.title, "Save Search Results As...");
  EXPECT_EQ(first.filter, "Text files (*.txt)|*.txt|HTML files (*.html *.htm)|*.html;*.htm");
  EXPECT_EQ(first.options, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY |
                                              OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN));
  EXPECT_EQ(first.initialFolder, "C:\\");  // a drive root keeps its backslash
  EXPECT_EQ(first.filterIndex, 1);
  EXPECT_EQ(ReadAll(folder + "r\xC3\xA9sultats.txt"), Expected("spaces.txt"));
  EXPECT_EQ(form_->Settings.SavePath, folder);

  // The HTML filter with no extension gives ".html"; the dialog starts where the last file
  // went, with its name, and the filter last chosen.
  Choose(folder + "report", 2, id::Save1);
  EXPECT_EQ(dialogs_.shown[1].initialFolder, home_->Root());
  EXPECT_EQ(dialogs_.shown[1].fileName, folder + "r\xC3\xA9sultats");
  EXPECT_EQ(ReadAll(folder + "report.html"), Expected("results.html"));
  EXPECT_EQ(form_->Settings.FilterIndex, 2);
  Choose(folder + "report.csv", 2, id::Save1);  // an unknown extension follows the filter
  EXPECT_EQ(ReadAll(folder + "report.csv"), Expected("results.html"));
  dialogs_.answers.clear();
  Command(form(), id::Save1);  // cancelled: nothing changes
  EXPECT_EQ(dialogs_.shown[3].filterIndex, 2);
  EXPECT_EQ(form_->Settings.FilterIndex, 2);

  // Appending keeps what is there; with tabs it adds rows only, with spaces a header too.
  home_->Write("log.txt", "old\r\n");
  form_->Settings.SaveTextWithTabs = 1;
  form_->Settings.LaunchViewer = 1;
  Choose(folder + "log.txt", 1, id::Append1);
  const ui::SaveFileDialog& append = dialogs_.shown.back();
  EXPECT_EQ(append.title, "Append Results to Text File...");
  EXPECT_EQ(append.filter, "Text files (*.txt)|*.txt");
  EXPECT_EQ(append.options,
            static_cast<DWORD>(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN));
  const std::string tabs = Expected("tabs.txt");
  std::string want = "old\r\n" + tabs.substr(tabs.find("\r\n") + 2);
  EXPECT_EQ(ReadAll(folder + "log.txt"), want);
  form_->Settings.SaveTextWithTabs = 0;
  Choose(folder + "log.txt", 1, id::Append1);
  EXPECT_EQ(ReadAll(folder + "log.txt"), want + Expected("spaces.txt"));
  EXPECT_EQ(shell_.opened, (std::vector<std::string>{folder + "log.txt", folder + "log.txt"}));
  EXPECT_EQ(shell_.showCommands[0], SW_SHOWMAXIMIZED);
  EXPECT_TRUE(messages_.calls.empty());
}

TEST_F(SaveResultsTest, MoreThan3000RowsAskBeforeHtml) {
  std::vector<search::ResultRow> rows(3001, search::ResultRow{"a.txt", "C:\\", "?", "1", "?", "1"});
  ShowRows(rows);
  messages_.answer = IDNO;
  const std::string file = home_->Path("big.html");
  Choose(file, 2, id::Save1);
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].title, "Warning");
  EXPECT_EQ(messages_.calls[0].text.substr(0, 47),
            "The generated HTML file is very large and your\n");
  EXPECT_EQ(messages_.calls[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(file)));
  Choose(home_->Path("big.txt"), 2, id::Save1);  // text: no question
  EXPECT_EQ(messages_.calls.size(), 1u);

  rows.pop_back();
  ShowRows(rows);
  Choose(file, 2, id::Save1);
  EXPECT_EQ(messages_.calls.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(file)));
}

TEST_F(SaveResultsTest, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  ShowRows(ExpectedRows());
  form_->Settings.LaunchViewer = 1;
  const std::string locked = home_->Path("locked.txt");
  home_->Write("locked.txt", "keep me");
  SetFileAttributesW(platform::Widen(locked).c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string missing = home_->Path("no such folder\\out.txt");
  for (auto [file, command] : {std::pair{locked, id::Save1}, std::pair{locked, id::Append1},
                               std::pair{missing, id::Save1}}) {
    messages_.calls.clear();
    Choose(file, 1, command);
    ASSERT_EQ(messages_.calls.size(), 1u) << file;
    EXPECT_EQ(messages_.calls[0].title, "Error");
    EXPECT_NE(messages_.calls[0].text.find(file), std::string::npos);
  }
  EXPECT_EQ(ReadAll(locked), "keep me");
  EXPECT_TRUE(shell_.opened.empty());
  // No temporary file is left beside the target.
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(home_->Root()))
    entries += !e.is_directory();
  EXPECT_EQ(entries, 1u);
  SetFileAttributesW(platform::Widen(locked).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A save that fails part of the way (a full disk) leaves its writer uncommitted: what it
// wrote must vanish and the old file be as it was.
TEST(SafeFileWriter, WhatIsNotCommittedIsUndone) {
  TempFolder home;
  home.Write("old.txt", "keep me");
  using Mode = platform::SafeFileWriter::Mode;
  for (Mode mode : {Mode::kReplace, Mode::kAppend}) {
    platform::SafeFileWriter file;
    ASSERT_TRUE(file.Open(home.Path("old.txt"), mode));
    ASSERT_TRUE(file.Write(std::string(3 << 20, 'x')));
  }
  {
    platform::SafeFileWriter file;
    ASSERT_TRUE(file.Open(home.Path("new.txt"), Mode::kAppend));
    ASSERT_TRUE(file.Write("half"));
  }
  EXPECT_EQ(ReadAll(home.Path("old.txt")), "keep me");
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(home.Root()))
    entries += !e.is_directory();
  EXPECT_EQ(entries, 1u);
}

// A volume of a few hundred kilobytes (tests/gui/full_volume_test.sh mounts one and names
// it in QUILLOW_FULL_VOLUME): every write that fills it must say so, in the words of the
// system or as "The disk is full.", and leave what was there.
std::string FullVolume() {
  const char* volume = std::getenv("QUILLOW_FULL_VOLUME");
  return volume ? volume : "";
}

bool SaysDiskFull(const std::string& text) {
  return text.find(platform::kDiskFullText) != std::string::npos ||
         text.find(platform::SystemErrorText(ERROR_DISK_FULL)) != std::string::npos;
}

// The core works in the current folder, as the libraries do.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : saved_(platform::CurrentFolder()) {
    platform::SetCurrentFolder(folder);
  }
  ~InFolder() { platform::SetCurrentFolder(saved_); }

 private:
  std::string saved_;
};

class FullVolumeTest : public SaveResultsTest {
 protected:
  void SetUp() override {
    SaveResultsTest::SetUp();
    volume_ = FullVolume();
    if (volume_.empty()) GTEST_SKIP() << "run by tests/gui/full_volume_test.sh";
  }
  std::string volume_;
};

TEST_F(FullVolumeTest, SaveAndAppendSayTheDiskIsFullAndKeepTheOldFile) {
  // About a megabyte of text: far more than the volume holds.
  ShowRows(std::vector<search::ResultRow>(
      4000, search::ResultRow{std::string(200, 'n') + ".txt", "C:\\", "?", "1", "?", "1"}));
  const std::string file = volume_ + "old.txt";
  { std::ofstream(std::filesystem::path(file), std::ios::binary) << "keep me"; }
  for (int command : {id::Save1, id::Append1}) {
    messages_.calls.clear();
    Choose(file, 1, command);
    ASSERT_EQ(messages_.calls.size(), 1u) << command;
    EXPECT_EQ(messages_.calls[0].title, "Error");
    EXPECT_TRUE(SaysDiskFull(messages_.calls[0].text)) << messages_.calls[0].text;
    EXPECT_EQ(ReadAll(file), "keep me") << command;
  }
  std::filesystem::remove(std::filesystem::path(file));
}

TEST(FullVolume, ZipLibrariesAndSelfExtractorSayTheDiskIsFull) {
  const std::string volume = FullVolume();
  if (volume.empty()) GTEST_SKIP() << "run by tests/gui/full_volume_test.sh";
  TempFolder home;
  // Random bytes: stored as they are, so the archive is as large as the file.
  std::string data(600 << 10, '\0');
  uint32_t seed = 12345;
  for (char& c : data) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  home.Write("big.bin", data);
  zip::FileSystem& fs = zip::SystemFileSystem();
  const struct {
    const char* what;
    std::function<std::string()> run;
  } kCases[] = {
      {"zip",
       [&] {
         zip::ZipOptions o;
         o.zipName = volume + "big.zip";
         o.names = {"big.bin"};
         o.level = 0;
         RecordingReporter report;
         InFolder here(home.Root());
         zip::Zip(o, fs, report);
         return report.All();
       }},
      {"unzip",
       [&] {
         zip::ZipOptions o;
         o.zipName = home.Path("big.zip");
         o.names = {"big.bin"};
         o.level = 0;
         RecordingReporter made, report;
         {
           InFolder here(home.Root());
           if (zip::Zip(o, fs, made) != 1) return "no archive: " + made.All();
         }
         zip::UnzipOptions u;
         u.zipName = home.Path("big.zip");
         InFolder there(volume);
         zip::Unzip(u, fs, report);
         return report.All();
       }},
      {"sfx",
       [&] {
         // Half the volume for the archive; the program made of it cannot fit beside it.
         const std::string archive = volume + "half.zip";
         {
           std::ofstream(std::filesystem::path(archive), std::ios::binary)
               << BuildZip({{"half.bin", data.substr(0, 150 << 10)}});
         }
         zip::SfxStubSearch stub{std::string(QUILLOW_ZIP_DLL_DIR) + "/ZIPSFX.BIN", {}};
         struct : zip::ConvertHost {
           void ShowMessage(const std::string& text) override { shown += text; }
           void BeginBusy() override {}
           void EndBusy() override {}
           void PumpMessages() override {}
           std::string shown;
         } host;
         const zip::ConvertResult r = zip::ConvertSFX(archive, zip::SfxSettings{}, stub, host);
         std::filesystem::remove(std::filesystem::path(archive));
         return std::to_string(r.code) + " " + r.error + host.shown;
       }},
  };
  for (const auto& c : kCases) {
    const std::string said = c.run();
    EXPECT_TRUE(SaysDiskFull(said)) << c.what << ": " << said;
    std::printf("%s: %s\n", c.what, said.c_str());
    // Nothing half-written is left on the volume.
    for (const zip::FolderItem& item : fs.List(volume))
      ADD_FAILURE() << c.what << " left " << item.name;
  }
}

}  // namespace
}  // namespace quillow::test
