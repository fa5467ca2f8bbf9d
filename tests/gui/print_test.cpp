// The main window's printing, Start-menu and manual commands with the printer, the shell and
// the message boxes answered by the test; and a print on the machine's own default printer
// (a real CUPS queue in tests/print/cups_print_test.sh).
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/print_progress.h"
#include "gui_test_util.h"
#include "output/print_win32.h"
#include "platform/win32/text.h"

namespace quillow::test {
namespace {

// Passes a job on to the printer and keeps the page size and line height it reported.
class MetricsProbe final : public output::PrintDevice {
 public:
  explicit MetricsProbe(output::PrintDevice& next) : next_(next) {}
  bool StartJob(const std::string& name) override { return next_.StartJob(name); }
  output::PrintMetrics Prepare() override { return metrics = next_.Prepare(); }
  bool StartPage() override { return next_.StartPage(); }
  void Text(int x, int y, const std::string& text) override { next_.Text(x, y, text); }
  bool EndPage() override { return next_.EndPage(); }
  bool EndJob() override { return next_.EndJob(); }
  void AbortJob() override { next_.AbortJob(); }
  output::PrintMetrics metrics;

 private:
  output::PrintDevice& next_;
};

bool SystemHasPrinter() {
  output::SystemPrinters printers;
  HDC dc = printers.CreatePrinterDC();
  if (dc) DeleteDC(dc);
  return dc != nullptr;
}

// Rows of assorted name lengths, enough for several pages of any paper.
std::vector<search::ResultRow> ManyRows() {
  std::vector<search::ResultRow> rows;
  for (int i = 0; i < 150; ++i) {
    const std::string n = std::to_string(1000 + i);
    rows.push_back(
        {"f" + n + std::string(i % 9, 'x') + ".txt", "C:\\box\\a" + n + ".zip", "", "", "", ""});
  }
  return rows;
}

// Prints on the default printer and writes what each page should hold to the file named
// by QUILLOW_PRINT_EXPECTED: one line per printed line, a line "=== page" before each page.
TEST(SystemPrinter, PrintsTheLayoutOnTheDefaultPrinter) {
  const char* expected = std::getenv("QUILLOW_PRINT_EXPECTED");
  if (!expected) GTEST_SKIP() << "run by tests/print/cups_print_test.sh";
  output::SystemPrinters printers;
  HDC dc = printers.CreatePrinterDC();
  ASSERT_NE(dc, nullptr) << "no default printer";
  const std::vector<search::ResultRow> rows = ManyRows();
  output::PrintMetrics metrics;
  {
    output::GdiPrintDevice gdi(dc);
    MetricsProbe device(gdi);
    EXPECT_EQ(output::RunPrintJob(device, rows), "");
    metrics = device.metrics;
  }
  DeleteDC(dc);
  EXPECT_GT(metrics.lineHeight, 0);
  std::ofstream out(expected, std::ios::binary);
  for (const output::PrintPage& page : output::LayoutPrint(rows, metrics)) {
    out << "=== page\n";
    for (const output::PrintLine& line : page) out << line.text << "\n";
  }
}

class FakePrinters final : public output::Printers {
 public:
  void Setup(HWND owner) override { setupOwners.push_back(owner); }
  // A memory device context: no printer driver, so the job cannot start.
  HDC CreatePrinterDC() override {
    ++asked;
    return CreateCompatibleDC(nullptr);
  }
  std::vector<HWND> setupOwners;
  int asked = 0;
};

// The shell as ShellExecute answers: files that exist open, others give "file not found".
class FileShell final : public ui::Shell {
 public:
  INT_PTR Open(HWND, const std::string& path, int show) override {
    opened.push_back(path);
    shows.push_back(show);
    return std::filesystem::exists(path) ? 42 : SE_ERR_FNF;
  }
  std::vector<std::string> opened;
  std::vector<int> shows;
};

class ShellCommandsTest : public ::testing::Test {
 protected:
  void MakeForm(output::Printers* printers) {
    app::FormServices services;
    services.messages = &messages_;
    services.shell = &shell_;
    services.browser = &browser_;
    services.printers = printers;
    services.programFolder = home_.Root() + "\\";
    services.programPath = "C:\\Tools\\Q\\Quillow.exe";
    services.programsFolder = [this] { return home_.Path("Programs"); };
    services.machineRoot = machineRoot_;
    services.userRoot = userRoot_;
    form_ = std::make_unique<app::TResultForm>(services);
    ASSERT_TRUE(form_->Create());
    form_->Show(SW_SHOWNORMAL);
    Pump();
  }
  void TearDown() override {
    form_.reset();
    Pump();
  }
  // A search of the test folder that lists two rows.
  void ListTwoRows() {
    home_.Write("found\\a.txt", "a");
    home_.Write("found\\b.txt", "b");
    TypeInto(Child(form(), id::Files), "*.txt");
    TypeInto(Child(form(), id::Folder), home_.Path("found"));
    Click(Child(form(), id::BeginSearch));
    ASSERT_TRUE(PumpUntil([&] { return !form_->SearchThreadAlive(); }));
    Pump();
    ASSERT_EQ(form_->Rows().size(), 2u);
  }
  HWND form() const { return form_->Handle(); }
  const MessageBoxCall& LastMessage() const { return messages_.calls.back(); }

  TempFolder home_;
  FakeMessageBoxes messages_;
  FileShell shell_;
  FakeBrowser browser_;
  HKEY machineRoot_ = nullptr, userRoot_ = nullptr;
  std::unique_ptr<app::TResultForm> form_;
};

TEST_F(ShellCommandsTest, PrintAsksFirstAndReportsAJobThatCannotStart) {
  FakePrinters printers;
  MakeForm(&printers);
  ListTwoRows();
  messages_.answer = IDNO;
  Command(form(), id::Printresults1);
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(LastMessage().text, "Are you sure you want to print the results of your search?");
  EXPECT_EQ(LastMessage().title, "");
  EXPECT_EQ(LastMessage().type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(printers.asked, 0);

  // The setup dialog's choice is the printer the next print asks for.
  Command(form(), id::PrinterSetup1);
  EXPECT_EQ(printers.setupOwners, std::vector<HWND>{form()});
  messages_.answer = IDYES;
  Command(form(), id::Printresults1);
  EXPECT_EQ(printers.asked, 1);
  ASSERT_EQ(messages_.calls.size(), 3u);
  EXPECT_EQ(LastMessage().title, "Error");
  EXPECT_NE(LastMessage().text.find("could not start the print job"), std::string::npos);
}

// A printer whose job always starts, with pages of three rows; at the start of page
// `cancelAt` it presses Cancel in the "Printing" window, as the user would.
class PagedPrinters final : public output::Printers, public output::PrintDevice {
 public:
  void Setup(HWND) override {}
  HDC CreatePrinterDC() override { return CreateCompatibleDC(nullptr); }
  std::unique_ptr<output::PrintDevice> MakeDevice(HDC) override {
    struct Forward final : output::PrintDevice {
      explicit Forward(output::PrintDevice& d) : d_(d) {}
      bool StartJob(const std::string& n) override { return d_.StartJob(n); }
      output::PrintMetrics Prepare() override { return d_.Prepare(); }
      bool StartPage() override { return d_.StartPage(); }
      void Text(int x, int y, const std::string& t) override { d_.Text(x, y, t); }
      bool EndPage() override { return d_.EndPage(); }
      bool EndJob() override { return d_.EndJob(); }
      void AbortJob() override { d_.AbortJob(); }
      output::PrintDevice& d_;
    };
    return std::make_unique<Forward>(*this);
  }
  bool StartJob(const std::string&) override { return true; }
  // A page 100 high: the header at 5, rows at 45, 65 and 85; the page ends after three rows.
  output::PrintMetrics Prepare() override { return {1000, 100, 10}; }
  bool StartPage() override {
    ++pages;
    progress = FindWindowW(app::PrintProgress::kClassName, nullptr);
    if (progress) {
      shown.push_back(TextOf(GetDlgItem(progress, app::PrintProgress::kTextId)));
      ownerEnabled = IsWindowEnabled(GetWindow(progress, GW_OWNER)) != FALSE;
      if (pages == cancelAt) SendMessageW(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
    }
    return true;
  }
  void Text(int, int, const std::string&) override {}
  bool EndPage() override { return true; }
  bool EndJob() override { return ended = true; }
  void AbortJob() override { aborted = true; }

  int cancelAt = -1;
  int pages = 0;
  HWND progress = nullptr;
  std::vector<std::string> shown;
  bool ownerEnabled = true, ended = false, aborted = false;
};

TEST_F(ShellCommandsTest, LongPrintShowsItsPagesAndCancelAbortsTheJob) {
  PagedPrinters printers;
  MakeForm(&printers);
  ListTwoRows();  // one page: no progress window
  messages_.answer = IDYES;
  Command(form(), id::Printresults1);
  EXPECT_EQ(printers.pages, 1);
  EXPECT_EQ(printers.progress, nullptr);
  EXPECT_TRUE(printers.ended);

  // Eight rows: three pages; Cancel on the second ends the job before the third.
  for (int i = 0; i < 6; ++i) home_.Write("found\\more" + std::to_string(i) + ".txt", "m");
  Click(Child(form(), id::BeginSearch));
  ASSERT_TRUE(PumpUntil([&] { return !form_->SearchThreadAlive(); }));
  Pump();
  ASSERT_EQ(form_->Rows().size(), 8u);
  printers = PagedPrinters{};
  printers.cancelAt = 2;
  Command(form(), id::Printresults1);
  EXPECT_EQ(printers.shown,
            (std::vector<std::string>{"Printing page 1 of 3 of\n\"Quillow Search Results\"",
                                      "Printing page 2 of 3 of\n\"Quillow Search Results\""}));
  EXPECT_FALSE(printers.ownerEnabled);  // only Cancel answers meanwhile
  EXPECT_EQ(printers.pages, 2);
  EXPECT_TRUE(printers.aborted);
  EXPECT_FALSE(printers.ended);
  EXPECT_EQ(messages_.calls.size(), 2u);  // the two questions; a cancel is no error
  EXPECT_EQ(FindWindowW(app::PrintProgress::kClassName, nullptr), nullptr);
  EXPECT_TRUE(IsWindowEnabled(form()));
}

TEST_F(ShellCommandsTest, PrintIsRefusedWithoutAPrinter) {
  if (SystemHasPrinter()) GTEST_SKIP() << "this machine has a printer";
  MakeForm(nullptr);
  ListTwoRows();
  messages_.answer = IDYES;
  Command(form(), id::Printresults1);
  ASSERT_EQ(messages_.calls.size(), 2u);
  EXPECT_EQ(LastMessage().title, "Error");
  EXPECT_NE(LastMessage().text.find("no printer is installed"), std::string::npos);
}

TEST_F(ShellCommandsTest, ManualsOpenFromTheProgramFolderEachWithItsOwnFailure) {
  MakeForm(nullptr);
  home_.Write("manual.txt", "text");
  // Another current folder holding both files must not be used.
  TempFolder elsewhere;
  elsewhere.Write("manual.htm", "x");
  SetCurrentDirectoryW(platform::Widen(elsewhere.Root()).c_str());
  Command(form(), id::Intextformat1);
  EXPECT_TRUE(messages_.calls.empty());
  Command(form(), id::InWordformat1);
  EXPECT_EQ(shell_.opened,
            (std::vector<std::string>{home_.Path("manual.txt"), home_.Path("manual.htm")}));
  EXPECT_EQ(shell_.shows, (std::vector<int>{SW_SHOWMAXIMIZED, SW_SHOWMAXIMIZED}));
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(LastMessage().text, "Could not open manual HTML file.");
  EXPECT_EQ(LastMessage().title, "Error");
  std::filesystem::remove(home_.Path("manual.txt"));
  Command(form(), id::Intextformat1);
  EXPECT_EQ(LastMessage().text, "Could not open manual text file.");
  SetCurrentDirectoryW(platform::Widen(std::filesystem::temp_directory_path().string()).c_str());
}

TEST_F(ShellCommandsTest, ProgramsCommandWritesTheLinkOrSaysItCouldNot) {
  home_.Folder("Programs");
  MakeForm(nullptr);
  Command(form(), id::Addicontostartmenu1);
  EXPECT_TRUE(std::filesystem::exists(home_.Path("Programs\\Quillow.lnk")));
  EXPECT_EQ(form_->ProgLink1().SourceName, "C:\\Tools\\Q\\Quillow.exe");
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(LastMessage().text, "The icon will appear next time\nyou start your computer.");
  EXPECT_EQ(LastMessage().title, "");
  // Where no link can go, no promise of an icon.
  std::filesystem::remove_all(home_.Path("Programs"));
  home_.Write("Programs", "a file");
  Command(form(), id::Addicontostartmenu1);
  ASSERT_EQ(messages_.calls.size(), 2u);
  EXPECT_EQ(LastMessage().title, "Error");
  EXPECT_NE(LastMessage().text.find("Quillow.lnk"), std::string::npos);
}

// The rows themselves are read back in shell_integration_test.cpp.
TEST_F(ShellCommandsTest, FindCommandShowsTheRegistryError) {
  const std::wstring scratch = L"Software\\QuillowTest\\form";
  RegCreateKeyExW(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &machineRoot_, nullptr);
  // A root that takes no keys: the application's error box with the value's name.
  userRoot_ = reinterpret_cast<HKEY>(0x7FFFFFF0);
  MakeForm(nullptr);
  Command(form(), id::CreateshortcutinStartMenuFind1);
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(LastMessage().text, "Failed to set data for 'Location'");
  EXPECT_EQ(LastMessage().title, "Quillow");
  EXPECT_EQ(LastMessage().type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  RegCloseKey(machineRoot_);
  RegDeleteTreeW(HKEY_CURRENT_USER, scratch.c_str());
}

}  // namespace
}  // namespace quillow::test
