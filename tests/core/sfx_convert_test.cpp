// Self-extractor conversion over real files in a temporary tree; the archive is a fixture
// made by Info-ZIP zip, the stub plain bytes (the conversion never looks inside it).
#include "zip/sfx/sfx_convert.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_ops.h"
#include "reader_test_util.h"
#include "temp_tree.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace quillow::test {
namespace {

using zip::ConvertResult;
using zip::SfxSettings;

class RecordingHost final : public zip::ConvertHost {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void BeginBusy() override { ++busy, ++busyCalls; }
  void EndBusy() override { --busy; }
  void PumpMessages() override { ++pumps; }

  std::vector<std::string> messages;
  int busy = 0, busyCalls = 0, pumps = 0;
};

enum class Fault { kNone, kCreate, kOpen, kWrite, kShortRead, kSize, kTime };

// The real file routines, with one of them made to fail. A write fault takes the writes
// before `failingWrite` (counted from 1), so there is a partial output to clean up.
class FaultyFiles final : public zip::ConvertFiles {
 public:
  explicit FaultyFiles(Fault f, int failingWrite = 2) : fault_(f), failingWrite_(failingWrite) {}
  std::unique_ptr<platform::WriteFile> Create(const std::string& path) override {
    if (fault_ == Fault::kCreate) return nullptr;
    auto file = ConvertFiles::Create(path);
    if (fault_ != Fault::kWrite || !file) return file;
    struct Failing final : platform::WriteFile {
      std::unique_ptr<platform::WriteFile> inner;
      int writes = 0, failing = 0;
      bool Write(const void* p, size_t n) override {
        return ++writes != failing && inner->Write(p, n);
      }
    };
    auto failing = std::make_unique<Failing>();
    failing->inner = std::move(file);
    failing->failing = failingWrite_;
    return failing;
  }
  std::unique_ptr<platform::ReadFile> OpenInput(const std::string& path) override {
    if (fault_ == Fault::kOpen) return nullptr;
    auto file = ConvertFiles::OpenInput(path);
    if (fault_ != Fault::kShortRead || !file) return file;
    // The input's last byte never arrives, as when a network share drops mid-read.
    struct Short final : platform::ReadFile {
      std::unique_ptr<platform::ReadFile> inner;
      uint64_t Length() const override { return inner->Length(); }
      size_t ReadAt(uint64_t at, void* p, size_t n) override {
        const uint64_t end = inner->Length() - 1;
        return at >= end
                   ? 0
                   : inner->ReadAt(at, p, static_cast<size_t>(std::min<uint64_t>(n, end - at)));
      }
    };
    auto shortened = std::make_unique<Short>();
    shortened->inner = std::move(file);
    return shortened;
  }
  int64_t Size(const std::string& path) override {
    return fault_ == Fault::kSize && path.find(".~qz") != std::string::npos
               ? -1
               : ConvertFiles::Size(path);
  }
  bool CopyTime(const std::string& from, const std::string& to) override {
    return fault_ != Fault::kTime && ConvertFiles::CopyTime(from, to);
  }

 private:
  Fault fault_;
  int failingWrite_;
};

class SfxConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    archive = LoadFile(TestData("zip/basic.zip"));
    ASSERT_FALSE(archive.empty());
    tree.Write("Basic.Zip", archive);
    // Three whole copy blocks: the copy must end on the empty read after them.
    stub.assign(3 * zip::kCopyBlock, 'S');
    tree.Write("stub/ZIPSFX.BIN", stub);
    search.sfxPath = tree.Path("stub/ZIPSFX.BIN");
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(tree.Root()))
      if (e.is_regular_file()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempTree tree;
  std::string archive, stub;
  zip::SfxStubSearch search;
  RecordingHost host;
};

TEST_F(SfxConvert, ProgramIsStubThenHeaderThenArchiveAndTakesTheArchivesPlace) {
  SfxSettings s;
  s.options = zip::kSfxAskFiles | zip::kSfxHideOverwriteBox;
  s.overwrite = zip::SfxOverwrite::kNever;
  s.caption = "Unpack me";
  s.defaultDir = "C:\\Target";
  s.commandLine = "setup.exe /q";
  ConvertResult r = zip::ConvertSFX(tree.Path("Basic.Zip"), s, search, host);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.output, tree.Path("Basic.exe"));
  EXPECT_EQ(Files(), std::vector<std::string>{"Basic.exe"});

  const std::string exe = LoadFile(r.output);
  ASSERT_EQ(exe.size(), stub.size() + 256 + archive.size());
  EXPECT_EQ(exe.substr(0, stub.size()), stub);
  EXPECT_EQ(exe.substr(stub.size() + 256), archive);
  const auto* header = reinterpret_cast<const uint8_t*>(exe.data() + stub.size());
  EXPECT_EQ(std::string(exe, stub.size(), 7), std::string("QSx\x16\x09\x09\x0c", 7));
  auto back = zip::DecodeSfxHeader(header, 256);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->caption + "|" + back->defaultDir + "|" + back->commandLine,
            "Unpack me|C:\\Target|setup.exe /q");
  EXPECT_EQ(std::string(exe, stub.size() + 7 + s.TextLength(), 256 - 7 - s.TextLength()),
            std::string(256 - 7 - s.TextLength(), '\0'));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.busyCalls, 1);
  EXPECT_EQ(host.busy, 0);
  EXPECT_GE(host.pumps, 4);  // after every block of the stub, then of the archive
}

TEST_F(SfxConvert, ConvertZipGivesBackTheArchivesBytes) {
  ConvertResult sfx = zip::ConvertSFX(tree.Path("Basic.Zip"), SfxSettings{}, search, host);
  ASSERT_EQ(sfx.code, 0);
  ConvertResult back = zip::ConvertZIP(sfx.output, stub.size() + 256, host);
  ASSERT_EQ(back.code, 0);
  EXPECT_EQ(back.output, tree.Path("Basic.zip"));
  EXPECT_EQ(LoadFile(back.output), archive);
  EXPECT_EQ(Files().size(), 1u);  // the program is gone
}

TEST_F(SfxConvert, TextsMayFill249BytesAndOneMoreIsRefusedWithTheSum) {
  SfxSettings s;
  s.caption.assign(100, 'c');
  s.defaultDir.assign(100, 'd');
  s.commandLine.assign(49, 'm');
  EXPECT_EQ(zip::ConvertSFX(tree.Path("Basic.Zip"), s, search, host).code, 0);
  EXPECT_TRUE(host.messages.empty());

  tree.Write("Basic.Zip", archive);
  s.commandLine += 'm';
  EXPECT_EQ(zip::ConvertSFX(tree.Path("Basic.Zip"), s, search, host).code, -9);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0],
            "Error - The total size of the 3 text properties exceeds 249!\t\t\t\r\n"
            "SFXCaption + SFXDefaultDir + SFXCommandLine = 250");
  EXPECT_EQ(LoadFile(tree.Path("Basic.Zip")), archive);
}

TEST_F(SfxConvert, RefusalsShowTheirMessageAndChangeNoFile) {
  tree.Write("notes.txt", "text");
  tree.Write("prog.EXE", "MZ program without zip data");
  zip::SfxStubSearch none;
  none.sfxPath = tree.Path("missing.bin");
  struct Case {
    std::function<ConvertResult()> run;
    const char* message;
  } cases[] = {
      {[&] { return zip::ConvertSFX(tree.Path("gone.zip"), {}, search, host); },
       "Error - no zip file specified"},
      {[&] { return zip::ConvertSFX(tree.Path("notes.txt"), {}, search, host); },
       "Error: input file is not a zip file"},
      {[&] { return zip::ConvertSFX(tree.Path("Basic.Zip"), {}, none, host); },
       "Error - ZIPSFX.BIN not found!"},
      {[&] { return zip::ConvertZIP(tree.Path("gone.exe"), 300, host); },
       "Error - no .EXE file specified"},
      {[&] { return zip::ConvertZIP(tree.Path("Basic.Zip"), 300, host); },
       "Error: input file is not an .EXE file"},
      {[&] { return zip::ConvertZIP(tree.Path("prog.EXE"), 0, host); },
       "Error determining the type of SFX archive"},
  };
  const auto before = Files();
  // The extension is the last name's: a dot in a folder name is not one.
  for (auto [path, ext] : {std::pair{"C:\\v1.2\\archive", ""},
                           {"/srv/a.zip/notes", ""},
                           {"C:\\v1.2\\Pack.Zip", ".ZIP"}})
    EXPECT_EQ(zip::UpperExtension(path), ext) << path;
  for (const Case& c : cases) {
    host.messages.clear();
    EXPECT_EQ(c.run().code, -9) << c.message;
    EXPECT_EQ(host.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(host.busyCalls, 0) << c.message;
  }
  EXPECT_EQ(Files(), before);
}

TEST_F(SfxConvert, StubIsLookedForInOrderAndThePathFoundIsKept) {
  tree.Write("cwd/ZIPSFX.BIN", "c");
  tree.Write("dlls/ZIPSFX.BIN", "d");
  zip::ConvertFiles& files = zip::DefaultConvertFiles();
  ASSERT_TRUE(platform::SetCurrentFolder(tree.Path("cwd")));
  zip::SfxStubSearch s{tree.Path("missing.bin"), tree.Path("dlls")};
  EXPECT_EQ(zip::FindSfxStub(s, files), platform::AbsolutePath(tree.Path("cwd"), "ZIPSFX.BIN"));
  ASSERT_TRUE(platform::SetCurrentFolder(tree.Root()));
  EXPECT_EQ(zip::FindSfxStub(s, files), platform::AbsolutePath(tree.Path("dlls"), "ZIPSFX.BIN"));
  s.dllDirectory.clear();
  EXPECT_EQ(zip::FindSfxStub(s, files), "");

  // What the conversion found stays in the search for the next one.
  s.dllDirectory = tree.Path("dlls");
  ASSERT_EQ(zip::ConvertSFX(tree.Path("Basic.Zip"), {}, s, host).code, 0);
  EXPECT_EQ(s.sfxPath, platform::AbsolutePath(tree.Path("dlls"), "ZIPSFX.BIN"));
}

TEST_F(SfxConvert, FailuresGiveTheirCodeRemoveThePartialOutputAndKeepEveryInput) {
  tree.Write("Basic.exe", "an earlier program of that name");
  // Someone else's file under the first temporary name is neither used nor removed.
  tree.Write("Basic.exe.~qz0000.tmp", "not ours");
  const auto before = Files();
  // Writes: three blocks of stub, the header, then the archive.
  const struct {
    Fault fault;
    int failingWrite, code;
  } cases[] = {
      {Fault::kCreate, 0, -1},    {Fault::kWrite, 2, -2}, {Fault::kWrite, 4, -2},
      {Fault::kWrite, 5, -2},     {Fault::kOpen, 0, -3},  {Fault::kSize, 0, -9},
      {Fault::kShortRead, 0, -9},
  };
  for (const auto& c : cases) {
    FaultyFiles files(c.fault, c.failingWrite);
    host.busy = 0;
    EXPECT_EQ(zip::ConvertSFX(tree.Path("Basic.Zip"), {}, search, host, files).code, c.code)
        << c.code << " at write " << c.failingWrite;
    EXPECT_EQ(Files(), before) << c.code;
    EXPECT_EQ(host.busy, 0) << c.code;
  }
  EXPECT_EQ(LoadFile(tree.Path("Basic.Zip")), archive);
  EXPECT_EQ(LoadFile(tree.Path("Basic.exe")), "an earlier program of that name");
  EXPECT_EQ(LoadFile(tree.Path("Basic.exe.~qz0000.tmp")), "not ours");

  // The ZIP data cannot begin beyond the end of the program.
  EXPECT_EQ(zip::ConvertZIP(tree.Path("Basic.exe"), 1000, host).code, -2);
  EXPECT_EQ(Files(), before);
}

TEST_F(SfxConvert, CopyFileCopiesBytesAndDateOverAnExistingFile) {
  tree.Write("copy.zip", "old");
  std::filesystem::last_write_time(
      tree.Path("Basic.Zip"),
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400));
  ASSERT_EQ(zip::CopyWholeFile(tree.Path("Basic.Zip"), tree.Path("copy.zip"), host), 0);
  EXPECT_EQ(LoadFile(tree.Path("copy.zip")), archive);
  EXPECT_EQ(std::filesystem::last_write_time(tree.Path("copy.zip")),
            std::filesystem::last_write_time(tree.Path("Basic.Zip")));

  FaultyFiles noDate(Fault::kTime);
  EXPECT_EQ(zip::CopyWholeFile(tree.Path("Basic.Zip"), tree.Path("c2.zip"), host, noDate), -4);
  EXPECT_EQ(zip::CopyWholeFile(tree.Path("gone.zip"), tree.Path("c2.zip"), host), -3);
  EXPECT_EQ(Files(), (std::vector<std::string>{"Basic.Zip", "copy.zip"}));
}

TEST(SfxInput, IsOpenedWithWritingByOthersDenied) {
  TempTree tree;
  tree.Write("in.zip", "data");
  const std::string path = tree.Path("in.zip");
#ifdef _WIN32
  auto in = platform::OpenForReadingDenyWrite(path);
  ASSERT_TRUE(in);
  EXPECT_FALSE(platform::OpenForWriting(path, platform::WriteMode::kAppend));
  EXPECT_TRUE(platform::OpenForReading(path));  // readers are welcome
  in.reset();
  EXPECT_TRUE(platform::OpenForWriting(path, platform::WriteMode::kAppend));
#else
  int writer = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  EXPECT_FALSE(platform::OpenForReadingDenyWrite(path));
  ::close(writer);
  auto in = platform::OpenForReadingDenyWrite(path);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Length(), 4u);
#endif
}

}  // namespace
}  // namespace quillow::test
