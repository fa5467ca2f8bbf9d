// Driving the real main window in-process: fake message boxes, shell and folder browser,
// a message pump, and ways to type, click and read controls as the user would.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/result_form.h"
#include "settings/memory_store.h"

namespace quillow::test {

// The main window's control and command identifiers.
namespace id = app::id;

struct MessageBoxCall {
  std::string text, title;
  UINT type;
  HWND owner;
};

class FakeMessageBoxes final : public ui::MessageBoxes {
 public:
  int Show(HWND owner, const std::string& text, const std::string& title, UINT type) override {
    calls.push_back({text, title, type, owner});
    return answer;
  }
  std::vector<MessageBoxCall> calls;
  int answer = IDOK;
};

class FakeShell final : public ui::Shell {
 public:
  INT_PTR Open(HWND, const std::string& path, int show) override {
    opened.push_back(path);
    showCommands.push_back(show);
    return 33;
  }
  std::vector<std::string> opened;
  std::vector<int> showCommands;
};

class FakeBrowser final : public ui::FolderBrowser {
 public:
  std::string Directory() const override { return directory; }
  void SetDirectory(const std::string& d) override {
    directory = d;
    starts.push_back(d);
  }
  bool Execute() override {
    if (!choice.empty()) directory = choice;
    return !choice.empty();
  }
  std::string directory;
  std::string choice;  // empty: the user cancels
  std::vector<std::string> starts;
};

// Save-file dialogs answered with the file names queued; with none queued the user cancels.
class FakeFileDialogs final : public ui::FileDialogs {
 public:
  struct Answer {
    std::string fileName;
    int filterIndex;
  };
  bool Save(HWND, ui::SaveFileDialog& dialog) override {
    shown.push_back(dialog);
    if (answers.empty()) return false;
    dialog.fileName = answers.front().fileName;
    dialog.filterIndex = answers.front().filterIndex;
    answers.erase(answers.begin());
    return true;
  }
  std::vector<ui::SaveFileDialog> shown;  // as each showing began
  std::vector<Answer> answers;
};

// Passes every step of a search on to the window's hand-over, and can hold the search
// thread after a given number of rows until the test lets it go on.
class GatedHost final : public search::ForwardingHost {
 public:
  explicit GatedHost(search::SearchHost& next) : search::ForwardingHost(next) {}
  ~GatedHost() override { Release(); }

  void HoldAfter(int rows);
  // Lets a held search go on; no later row holds it again.
  void Release();
  // The search thread is waiting in the gate.
  bool Holding() const;

  void AddRow(search::ResultRow&& row) override;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int holdAfter_ = -1;
  int rows_ = 0;
  bool holding_ = false;
  bool released_ = false;
};

// Handles every message waiting for this thread.
void Pump();
// Pumps until `done` holds; false when `timeout` ran out first.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(60));

// A descendant window of `parent` with the control identifier `id`.
HWND Child(HWND parent, int id);
std::string TextOf(HWND hwnd);
// Replaces the text of a combo box's edit as typing would: select all, delete, type.
void TypeInto(HWND combo, const std::string& text);
void PressKey(HWND combo, wchar_t key);
void Click(HWND button);
void Command(HWND form, int id);
// Clicks the header of the list's column `column`.
void ClickColumn(HWND list, int column);
std::string Cell(HWND list, int row, int column);
int RowCount(HWND list);
std::string Panel(HWND statusBar, int panel);

// A folder tree under the temporary folder, removed at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string Root() const { return root_.string(); }
  std::string Path(const std::string& relative) const { return (root_ / relative).string(); }
  void Write(const std::string& relative, const std::string& bytes);
  void Folder(const std::string& relative);

 private:
  std::filesystem::path root_;
};

// The main window with fake services, shown, and its program folder in a temporary
// folder (the warnings file goes there).
class FormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Makes the window; tests that need other drive types call this themselves first.
  void MakeForm(std::function<platform::DriveTypeTable()> driveTypes = {});

  HWND form() const { return form_->Handle(); }
  HWND Control(int id) const { return Child(form_->Handle(), id); }
  std::string Caption() const { return TextOf(Control(id::BeginSearch)); }
  // Types both texts, clicks "Begin Search" and waits until the search thread has ended.
  void Search(const std::string& files, const std::string& folder);
  bool WaitForSearchEnd(std::chrono::milliseconds timeout = std::chrono::seconds(120));
  std::vector<std::string> Column(int column) const;
  std::vector<std::string> History(int comboId) const;

  FakeMessageBoxes messages_;
  FakeShell shell_;
  FakeBrowser browser_;
  FakeFileDialogs dialogs_;
  // The window's settings: kept in memory unless a test gives a store of its own, so no
  // test leaves anything behind in the registry.
  settings::MemoryStore store_;
  settings::KeyValueStore* settingsStore_ = nullptr;
  // A host of the test's own in front of the hand-over instead of the gate.
  std::function<std::unique_ptr<search::SearchHost>(search::SearchHost& handOver)> wrapHost_;
  GatedHost* gate_ = nullptr;  // owned by the window
  std::unique_ptr<TempFolder> home_;
  // How the window is first shown; the program itself asks for it maximized.
  int showCommand_ = SW_SHOWNORMAL;
  std::unique_ptr<app::TResultForm> form_;
  std::string savedCurrentFolder_;
};

}  // namespace quillow::test
