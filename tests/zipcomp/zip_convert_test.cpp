// The component's self-extractor conversions and copy, over real files with a stand-in
// system: the codes, the messages, the stub it keeps and the archive it lists afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/reader_test_util.h"
#include "core/temp_tree.h"
#include "platform/file_ops.h"
#include "zip/component/zip_component.h"
#include "zip/sfx/sfx_header.h"

// The component's copy, not the system's (<windows.h> comes with the test helpers there).
#undef CopyFile

namespace quillow::zip {
namespace {

struct Seen {
  std::vector<std::string> messages;
  int busy = 0, busyCalls = 0, pumps = 0;
};

class RecordingSystem final : public ZipSystem {
 public:
  explicit RecordingSystem(Seen& s) : s_(s) {}
  void ShowMessage(const std::string& text) override { s_.messages.push_back(text); }
  std::string InputPassword(const std::string&) override { return {}; }
  bool FileExists(const std::string& path) override {
    return std::filesystem::is_regular_file(path);
  }
  bool EnterFolder(const std::string&) override { return false; }
  std::unique_ptr<LoadedLibrary> OpenLibrary(const std::string&) override { return nullptr; }
  void BeginBusy() override { ++s_.busy, ++s_.busyCalls; }
  void EndBusy() override { --s_.busy; }
  void PumpMessages() override { ++s_.pumps; }

 private:
  Seen& s_;
};

// A program image of one section, larger than the listing's scan of a program reaches
// (kProgramScanStart + kMaxScanAttempts): the ZIP data behind it is found all the same.
std::string MakeStub() {
  std::string pe(100000, 'x');
  auto put = [&](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) pe[at + i] = static_cast<char>(v >> (8 * i));
  };
  put(0, 'M' | 'Z' << 8, 2);
  put(0x3C, 0x40, 4);
  put(0x40, 'P' | 'E' << 8, 4);
  put(0x40 + 6, 1, 2);   // one section
  put(0x40 + 20, 0, 2);  // no optional header
  put(0x58 + 16, static_cast<uint32_t>(pe.size() - 0x200), 4);
  put(0x58 + 20, 0x200, 4);
  return pe;
}
const std::string kStub = MakeStub();

class ZipConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    archive = test::LoadFile(test::TestData("zip/basic.zip"));
    ASSERT_FALSE(archive.empty());
    tree.Write("pack.zip", archive);
    tree.Write("stubs/ZIPSFX.BIN", kStub);
    // The stub is not in the current folder: the search goes on to DLLDirectory.
    tree.Folder("cwd");
    ASSERT_TRUE(platform::SetCurrentFolder(tree.Path("cwd")));
    zip.OnDirUpdate = [this](TZipComponent&) { ++listings; };
  }
  int64_t Size(const std::string& relative) { return platform::FileSize(tree.Path(relative)); }

  test::TempTree tree;
  std::string archive;
  Seen seen;
  TZipComponent zip{std::make_unique<RecordingSystem>(seen), nullptr};
  int listings = 0;
};

TEST_F(ZipConvert, RoundTripKeepsTheStubPathAndListsEachOutput) {
  zip.SetDLLDirectory(tree.Path("stubs") + "\\");
  zip.SetZipFilename(tree.Path("pack.zip"));
  const size_t members = zip.ZipEntries.size();
  ASSERT_EQ(members, 4u);
  listings = 0;
  zip.SFXOptions = {SFXAskFiles};
  zip.SFXOverWriteMode = OvrNever;
  zip.SFXDefaultDir = "C:\\Out";

  ASSERT_EQ(zip.ConvertSFX(), 0);
  EXPECT_EQ(std::filesystem::path(zip.SFXPath), tree.Path("stubs/ZIPSFX.BIN"));
  EXPECT_EQ(zip.ZipFilename(), tree.Path("pack.exe"));
  EXPECT_FALSE(std::filesystem::exists(tree.Path("pack.zip")));
  EXPECT_EQ(Size("pack.exe"), static_cast<int64_t>(kStub.size() + 256 + archive.size()));
  EXPECT_EQ(listings, 1);
  EXPECT_EQ(zip.ZipEntries.size(), members);
  EXPECT_EQ(zip.FirstEntryOffset, kStub.size() + 256);
  const std::string exe = test::LoadFile(tree.Path("pack.exe"));
  const auto header =
      DecodeSfxHeader(reinterpret_cast<const uint8_t*>(exe.data()) + kStub.size(), kSfxHeaderSize);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->options, kSfxAskFiles);
  EXPECT_EQ(header->overwrite, SfxOverwrite::kNever);
  EXPECT_EQ(header->caption, kDefaultSFXCaption);
  EXPECT_EQ(header->defaultDir, "C:\\Out");

  ASSERT_EQ(zip.ConvertZIP(), 0);
  EXPECT_EQ(zip.ZipFilename(), tree.Path("pack.zip"));
  EXPECT_EQ(test::LoadFile(tree.Path("pack.zip")), archive);
  EXPECT_FALSE(std::filesystem::exists(tree.Path("pack.exe")));
  EXPECT_EQ(zip.ZipEntries.size(), members);
  EXPECT_EQ(listings, 2);
  EXPECT_TRUE(seen.messages.empty());
  EXPECT_EQ(seen.busy, 0);
  EXPECT_EQ(seen.busyCalls, 2);
  EXPECT_GT(seen.pumps, 0);

  // A stub named by SFXPath is taken first, and the one found in the current folder is
  // kept by its full path.
  zip.SetZipFilename(tree.Path("pack.zip"));
  tree.Write("cwd/ZIPSFX.BIN", kStub);
  zip.SFXPath.clear();
  ASSERT_EQ(zip.ConvertSFX(), 0);
  EXPECT_EQ(std::filesystem::path(zip.SFXPath), tree.Path("cwd/ZIPSFX.BIN"));
}

TEST_F(ZipConvert, RefusalsShowTheirMessageAndLeaveTheInput) {
  const std::string sum250 =
      "Error - The total size of the 3 text properties exceeds 249!\t\t\t\r\n"
      "SFXCaption + SFXDefaultDir + SFXCommandLine = 250";
  tree.Write("notes.txt", "text");
  tree.Write("plain.exe", kStub);  // a program without ZIP data
  struct Case {
    const char* file;  // relative to the tree; empty: none
    bool toExe;
    size_t caption, dir, command;
    bool stubThere;
    std::string message;
  } cases[] = {
      {"", false, 1, 0, 0, true, "Error - no zip file specified"},
      {"missing.zip", false, 1, 0, 0, true, "Error - no zip file specified"},
      {"notes.txt", false, 1, 0, 0, true, "Error: input file is not a zip file"},
      {"pack.zip", false, 100, 100, 50, true, sum250},
      {"pack.zip", false, 1, 0, 0, false, "Error - ZIPSFX.BIN not found!"},
      {"missing.exe", true, 0, 0, 0, true, "Error - no .EXE file specified"},
      {"pack.zip", true, 0, 0, 0, true, "Error: input file is not an .EXE file"},
      {"plain.exe", true, 0, 0, 0, true, "Error determining the type of SFX archive"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    seen.messages.clear();
    zip.SetDLLDirectory(c.stubThere ? tree.Path("stubs") : "");
    zip.SFXPath.clear();
    zip.SFXCaption.assign(c.caption, 'c');
    zip.SFXDefaultDir.assign(c.dir, 'd');
    zip.SFXCommandLine.assign(c.command, 'm');
    zip.SetZipFilename(*c.file ? tree.Path(c.file) : "");
    seen.messages.clear();  // what the listing had to say is not the conversion's
    EXPECT_EQ(c.toExe ? zip.ConvertZIP() : zip.ConvertSFX(), -9);
    EXPECT_EQ(seen.messages, std::vector<std::string>{c.message});
    EXPECT_TRUE(zip.SFXPath.empty());
    if (*c.file) {
      EXPECT_EQ(zip.ZipFilename(), tree.Path(c.file));
    }
  }
  EXPECT_EQ(test::LoadFile(tree.Path("pack.zip")), archive);
  EXPECT_FALSE(std::filesystem::exists(tree.Path("pack.exe")));
  EXPECT_EQ(seen.busyCalls, 0);

  // 249 characters in all are accepted.
  zip.SetDLLDirectory(tree.Path("stubs"));
  zip.SFXCaption.assign(100, 'c');
  zip.SFXDefaultDir.assign(100, 'd');
  zip.SFXCommandLine.assign(49, 'm');
  zip.SetZipFilename(tree.Path("pack.zip"));
  EXPECT_EQ(zip.ConvertSFX(), 0);
}

TEST_F(ZipConvert, CopyFileAndCopyBuffer) {
  EXPECT_EQ(zip.CopyFile(tree.Path("absent.zip"), tree.Path("copy.zip")), -3);
  EXPECT_FALSE(std::filesystem::exists(tree.Path("copy.zip")));
  tree.Write("copy.zip", "old contents");
  EXPECT_EQ(zip.CopyFile(tree.Path("stubs/ZIPSFX.BIN"), tree.Path("copy.zip")), 0);
  EXPECT_EQ(test::LoadFile(tree.Path("copy.zip")), kStub);
  EXPECT_EQ(std::filesystem::last_write_time(tree.Path("copy.zip")),
            std::filesystem::last_write_time(tree.Path("stubs/ZIPSFX.BIN")));
  EXPECT_EQ(seen.busy, 0);

  auto in = platform::OpenForReading(tree.Path("pack.zip"));
  auto out = platform::OpenForWriting(tree.Path("buffer.bin"), platform::WriteMode::kTruncate);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(zip.CopyBuffer(*in, *out), 0);
  out.reset();
  EXPECT_EQ(test::LoadFile(tree.Path("buffer.bin")), archive);
  EXPECT_TRUE(seen.messages.empty());
}

}  // namespace
}  // namespace quillow::zip
