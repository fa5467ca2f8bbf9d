// The real ZIPSFX.BIN under Wine: programs made by the conversion, run without the dialog.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include "core/reader_test_util.h"
#include "platform/win32/text.h"
#include "zip/sfx/sfx_convert.h"
#include "zip/zip_test_util.h"

namespace quillow::test {
namespace {

struct QuietHost final : zip::ConvertHost {
  void ShowMessage(const std::string& t) override { ADD_FAILURE() << t; }
  void BeginBusy() override {}
  void EndBusy() override {}
  void PumpMessages() override {}
};

// Runs `exe` with `args` and gives its exit code.
DWORD RunProgram(const std::string& exe, const std::string& args) {
  std::wstring cmd = platform::Widen("\"" + exe + "\" " + args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 999;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 998;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

class SfxStub : public ::testing::Test {
 protected:
  std::string Program(zip::SfxSettings s) {
    tree.Write("pack.zip", BuildZip({{"docs/a.txt", "new a", 8}, {"b.txt", "new b"}}));
    zip::SfxStubSearch search{QUILLOW_SFX_STUB, ""};
    QuietHost host;
    auto r = zip::ConvertSFX(tree.Path("pack.zip"), s, search, host);
    EXPECT_EQ(r.code, 0);
    return r.output;
  }
  TempTree tree;
};

TEST_F(SfxStub, ExtractsAConvertedArchiveInEachOverwriteMode) {
  using M = zip::SfxOverwrite;
  struct Case {
    M mode;
    const char* args;
    const char* b;
  } cases[] = {{M::kAlways, "", "new b"},
               {M::kNever, "/yes", "old"},
               {M::kConfirm, "/yes", "new b"},
               {M::kConfirm, "/no", "old"}};
  for (const Case& c : cases) {
    zip::SfxSettings s;
    s.overwrite = c.mode;
    const std::string exe = Program(s);
    tree.Write("t/b.txt", "old");
    EXPECT_EQ(RunProgram(exe, "/auto /d \"" + tree.Path("t") + "\" " + c.args), 0u) << c.args;
    EXPECT_EQ(LoadFile(tree.Path("t/docs/a.txt")), "new a") << c.args;
    EXPECT_EQ(LoadFile(tree.Path("t/b.txt")), c.b) << c.args;
  }
}

TEST_F(SfxStub, RunsItsCommandLineAskingWhenTold) {
  zip::SfxSettings s;
  s.commandLine = "cmd.exe /c copy b.txt ran.txt";
  const std::string plain = Program(s);
  EXPECT_EQ(RunProgram(plain, "/auto /d \"" + tree.Path("t1") + "\""), 0u);
  EXPECT_EQ(LoadFile(tree.Path("t1/ran.txt")), "new b");

  s.options = zip::kSfxAskCmdLine;
  const std::string asking = Program(s);
  EXPECT_EQ(RunProgram(asking, "/auto /no /d \"" + tree.Path("t2") + "\""), 0u);
  EXPECT_TRUE(std::filesystem::exists(tree.Path("t2/b.txt")));
  EXPECT_FALSE(std::filesystem::exists(tree.Path("t2/ran.txt")));
  EXPECT_EQ(RunProgram(asking, "/auto /yes /d \"" + tree.Path("t3") + "\""), 0u);
  EXPECT_TRUE(std::filesystem::exists(tree.Path("t3/ran.txt")));
}

TEST_F(SfxStub, DamagedProgramSaysSoAndWritesNothing) {
  const std::string good = LoadFile(Program({}));
  tree.Write("cut.exe", good.substr(0, good.size() - 40));
  EXPECT_EQ(RunProgram(tree.Path("cut.exe"), "/auto /d \"" + tree.Path("t") + "\""), 2u);
  EXPECT_FALSE(std::filesystem::exists(tree.Path("t")));
}

}  // namespace
}  // namespace quillow::test
#endif
