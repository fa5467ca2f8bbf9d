// The component driving the real ZIPDLL.DLL and UNZDLL.DLL: add -> list -> extract -> delete,
// passwords, freshen and update in both directions, and a stop asked for from OnProgress.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fs.h"
#include "ui/services.h"
#include "ui/zip_component_ui.h"

namespace quillow::zip {
namespace {

namespace fs = std::filesystem;

class Boxes final : public ui::MessageBoxes {
 public:
  int Show(HWND, const std::string& text, const std::string&, UINT) override {
    texts.push_back(text);
    return IDOK;
  }
  std::vector<std::string> texts;
};

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void Write(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

class ZipDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           (std::string("quillow-dll-") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "src");
    fs::create_directories(root / "out");
    std::string dir = QUILLOW_ZIP_DLL_DIR;
    std::replace(dir.begin(), dir.end(), '/', '\\');
    comp->SetDLLDirectory(dir);
    comp->OnMessage = [this](TZipComponent&, int, const std::string& m) { notes.push_back(m); };
    // Files are added relative to the current folder.
    platform::SetCurrentFolder((root / "src").string());
  }
  void TearDown() override {
    platform::SetCurrentFolder(fs::temp_directory_path().string());
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string Archive() const { return (root / "a.zip").string(); }
  void AddFiles(std::vector<std::string> specs) {
    comp->FSpecArgs = std::move(specs);
    comp->Add();
  }
  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (const auto& e : comp->ZipEntries) names.push_back(e.FileName);
    std::sort(names.begin(), names.end());
    return names;
  }
  void Extract(ExtrOpts options) {
    comp->ExtrBaseDir = (root / "out").string();
    comp->ExtrOptions = options;
    comp->Extract();
    platform::SetCurrentFolder((root / "src").string());
  }

  Boxes boxes;
  std::unique_ptr<TZipComponent> comp = ui::MakeZipComponent(boxes, nullptr, "Quillow");
  fs::path root;
  std::vector<std::string> notes;
};

TEST_F(ZipDllTest, AddListExtractDelete) {
  const std::string big(100000, 'q');
  Write(root / "src" / "a.txt", "alpha\n");
  Write(root / "src" / "docs" / "b.txt", big);
  Write(root / "src" / "skip.bin", "x");
  std::vector<std::string> progress;
  comp->OnProgress = [&](TZipComponent& c, ProgrType t, const std::string& name, int32_t size) {
    if (t == ProgressFileStart)
      progress.push_back(name + " " + std::to_string(size) +
                         (c.ZipBusy() || c.UnzipBusy() ? " busy" : ""));
  };
  int updates = 0;
  comp->OnDirUpdate = [&](TZipComponent&) { ++updates; };
  comp->Trace = true;
  comp->SetZipFilename(Archive());
  comp->AddOptions = {AddDirNames, AddRecurseDirs};
  AddFiles({"*.txt"});
  EXPECT_EQ(comp->ProcessedCount, 2);
  EXPECT_EQ(updates, 1);  // the listing after the add
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a.txt", "docs\\b.txt"}));
  EXPECT_EQ(progress.size(), 2u);
  EXPECT_NE(std::find(progress.begin(), progress.end(), "a.txt 6 busy"), progress.end());
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"ZIP DLL Loaded"});
  EXPECT_FALSE(TZipComponent::ZipDllLoaded());  // the add loaded it, so it let it go

  comp->Trace = false;
  Extract({ExtrDirNames});
  EXPECT_EQ(comp->ProcessedCount, 2);
  EXPECT_EQ(Read(root / "out" / "a.txt"), "alpha\n");
  EXPECT_EQ(Read(root / "out" / "docs" / "b.txt"), big);

  comp->FSpecArgs = {"a.txt"};
  comp->Delete();
  EXPECT_EQ(comp->ProcessedCount, 1);
  EXPECT_EQ(Listed(), std::vector<std::string>{"docs\\b.txt"});
  EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST_F(ZipDllTest, EncryptedMembersNeedTheirPassword) {
  Write(root / "src" / "secret.txt", "inside\n");
  comp->SetZipFilename(Archive());
  comp->AddOptions = {AddEncrypt};
  comp->Password = "Sesame";
  AddFiles({"secret.txt"});
  ASSERT_EQ(comp->GetCount(), 1);
  EXPECT_EQ(comp->ZipEntries[0].Flags & 1, 1);
  comp->Password = "sesame";
  Extract({});
  EXPECT_EQ(comp->ProcessedCount, 0);
  EXPECT_FALSE(fs::exists(root / "out" / "secret.txt"));
  EXPECT_FALSE(notes.empty());  // the library said why
  comp->Password = "Sesame";
  Extract({});
  EXPECT_EQ(Read(root / "out" / "secret.txt"), "inside\n");
}

// Freshening alone touches only what is there already; with update on as well, the update
// wins and new files come in too. The same holds for extraction.
TEST_F(ZipDllTest, UpdateWinsOverFreshen) {
  Write(root / "src" / "old.txt", "1");
  comp->SetZipFilename(Archive());
  AddFiles({"old.txt"});
  Write(root / "src" / "new.txt", "2");
  comp->AddOptions = {AddFreshen};
  AddFiles({"*.txt"});
  EXPECT_EQ(Listed(), std::vector<std::string>{"old.txt"});
  comp->AddOptions = {AddFreshen, AddUpdate};
  AddFiles({"*.txt"});
  EXPECT_EQ(Listed(), (std::vector<std::string>{"new.txt", "old.txt"}));

  Extract({ExtrFreshen});
  EXPECT_EQ(comp->ProcessedCount, 0);
  EXPECT_FALSE(fs::exists(root / "out" / "new.txt"));
  Extract({ExtrFreshen, ExtrUpdate});
  EXPECT_EQ(comp->ProcessedCount, 2);
  EXPECT_EQ(Read(root / "out" / "new.txt"), "2");
}

TEST_F(ZipDllTest, StopFromOnProgressLeavesTheArchiveAsItWas) {
  for (int i = 0; i < 5; ++i) Write(root / "src" / ("f" + std::to_string(i) + ".txt"), "data");
  comp->SetZipFilename(Archive());
  AddFiles({"f0.txt"});
  const std::string before = Read(Archive());
  int starts = 0;
  comp->OnProgress = [&](TZipComponent& c, ProgrType t, const std::string&, int32_t) {
    if (t == ProgressFileStart && ++starts == 2) c.CancelRequested = true;
  };
  AddFiles({"*.txt"});
  EXPECT_EQ(starts, 2);
  EXPECT_EQ(Read(Archive()), before);
  EXPECT_FALSE(comp->CancelRequested);
  comp->SetZipFilename(Archive());
  EXPECT_EQ(Listed(), std::vector<std::string>{"f0.txt"});

  starts = 0;
  Extract({});
  EXPECT_EQ(starts, 1);
  EXPECT_FALSE(comp->CancelRequested);  // cleared again when the extraction ends
}

}  // namespace
}  // namespace quillow::zip
