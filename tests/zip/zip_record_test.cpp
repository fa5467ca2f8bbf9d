// The libraries' side of the call records: refusals of records that cannot be trusted, the
// callback's action codes and its stop answer, and (on Windows) the real DLLs by name.
#include <cstring>
#include <memory>

#include "zip/dll/exec.h"
#include "zip_test_util.h"

namespace quillow::test {
namespace {

namespace fs = std::filesystem;
namespace z = quillow::zip;

struct Call {
  int32_t action, error, size, isZip;
  void* caller;
  std::string text;
};
std::vector<Call> calls;
int32_t answer = 0;
int32_t answerOnAction = 0;  // answer 1 on the first callback of this action

int32_t QUILLOW_STDCALL Record(z::ZCallBackStruct* cb) {
  calls.push_back({cb->ActionCode, cb->ErrorCode, cb->FileSize, cb->IsZip, cb->Caller, cb->Text});
  return cb->ActionCode == answerOnAction ? 1 : answer;
}

// Records with their buffers, zeroed as the component fills them.
template <typename R>
struct Filled {
  std::unique_ptr<R> r = std::make_unique<R>();
  char zipName[z::kNameBuffer] = {}, password[z::kPasswordBuffer] = {};
  std::vector<std::unique_ptr<char[]>> names;
  explicit Filled(const std::string& archive, std::vector<std::string> specs = {}) {
    std::memset(r.get(), 0, sizeof(R));
    r->Version = z::kRecordVersion;
    r->Caller = this;
    r->CallbackProc = Record;
    std::snprintf(zipName, sizeof zipName, "%s", archive.c_str());
    r->ZipName = zipName;
    r->PasswordText = password;
    for (const std::string& s : specs) {
      names.push_back(std::make_unique<char[]>(z::kNameBuffer));
      std::snprintf(names.back().get(), z::kNameBuffer, "%s", s.c_str());
      r->Names[r->NameCount++] = names.back().get();
    }
  }
};

class ZipRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    answer = answerOnAction = 0;
    tree_.Write("a.txt", std::string(300000, 'a'));
    tree_.Write("b.txt", "bee");
  }
  ScratchFolder tree_;
};

TEST_F(ZipRecord, UntrustworthyRecordsAreRefusedThroughTheCallback) {
  Filled<z::ZipCallRecord> zipOld("out.zip", {"a.txt"});
  zipOld.r->Version = 139;
  EXPECT_EQ(z::ExecZip(zipOld.r.get(), z::SystemFileSystem()), 0);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].action, z::kActionMessage);
  EXPECT_EQ(calls[0].isZip, 1);
  EXPECT_EQ(calls[0].caller, &zipOld);
  EXPECT_NE(calls[0].text.find("version 139 is not 140"), std::string::npos);

  Filled<z::UnzipCallRecord> tooMany("out.zip");
  tooMany.r->NameCount = z::kMaxNames + 1;
  Filled<z::UnzipCallRecord> unterminated("out.zip", {"a.txt"});
  std::memset(unterminated.names[0].get(), 'x', z::kNameBuffer);
  Filled<z::UnzipCallRecord> unzipOld("out.zip");
  unzipOld.r->Version = 0;
  for (auto* f : {&tooMany, &unterminated, &unzipOld}) {
    calls.clear();
    EXPECT_EQ(z::ExecUnzip(f->r.get(), z::SystemFileSystem()), 0);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].action, z::kActionMessage);
    EXPECT_EQ(calls[0].isZip, 0);
  }
  EXPECT_FALSE(fs::exists("out.zip"));
  EXPECT_EQ(z::ExecUnzip(nullptr, z::SystemFileSystem()), 0);
}

TEST_F(ZipRecord, ProgressComesAsFileStartStepsAndOneEndAndAStopIsObeyed) {
  Filled<z::ZipCallRecord> add("out.zip", {"*.txt"});
  add.r->CompLevel = 9;
  ASSERT_EQ(z::ExecZip(add.r.get(), z::SystemFileSystem()), 2);
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(calls[0].action, z::kActionFileStart);
  EXPECT_EQ(calls[0].text, "a.txt");
  EXPECT_EQ(calls[0].size, 300000);
  EXPECT_EQ(calls[1].action, z::kActionStep);
  EXPECT_EQ(calls.back().action, z::kActionBatchEnd);
  for (size_t i = 0; i + 1 < calls.size(); ++i) EXPECT_NE(calls[i].action, z::kActionBatchEnd);

  calls.clear();
  answerOnAction = z::kActionFileStart;
  fs::create_directories("x");
  fs::current_path("x");
  Filled<z::UnzipCallRecord> extract("../out.zip");
  EXPECT_EQ(z::ExecUnzip(extract.r.get(), z::SystemFileSystem()), 0);
  EXPECT_TRUE(fs::is_empty("."));
}

// The callback's 512 bytes keep a message's reason: a long name loses its middle, and a
// control byte in a name is shown, not obeyed (a NUL would end the text).
TEST_F(ZipRecord, MessagesKeepTheirReasonAndShowControlBytes) {
  const std::string longName = std::string(300, 'h') + std::string(400, 't') + ".bin";
  std::ofstream("in.zip", std::ios::binary)
      << BuildZip({{std::string("a\0b\nc.txt", 9), "x"}, {longName, "y", 12}, {"fine.txt", "z"}});
  fs::create_directories("x");
  fs::current_path("x");
  Filled<z::UnzipCallRecord> extract("../in.zip");
  EXPECT_EQ(z::ExecUnzip(extract.r.get(), z::SystemFileSystem()), 1);
  struct Case {
    const char* starts;
    const char* ends;
  };
  const Case cases[] = {
      {"a\\x00b\\nc.txt: refused, ", "character not allowed in a file name"},
      {"hhhh", "tttt.bin: compression method 12 not supported, skipped"},
  };
  std::vector<std::string> texts;
  for (const Call& c : calls)
    if (c.action == z::kActionMessage) texts.push_back(c.text);
  ASSERT_EQ(texts.size(), std::size(cases));
  for (size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(texts[i]);
    EXPECT_EQ(texts[i].rfind(cases[i].starts, 0), 0u);
    EXPECT_EQ(texts[i].size() - texts[i].rfind(cases[i].ends), std::strlen(cases[i].ends));
    EXPECT_LT(texts[i].size(), z::kCallbackText);
  }
  EXPECT_NE(texts[1].find("..."), std::string::npos);
}

#ifdef _WIN32
template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The built DLLs, loaded by their file names and entry points by name as the component does.
TEST_F(ZipRecord, TheLibrariesExportTheirEntryPointsAndWork) {
  const std::wstring dir = fs::path(QUILLOW_ZIP_DLL_DIR).make_preferred().wstring();
  HMODULE zipDll = LoadLibraryW((dir + L"\\ZIPDLL.DLL").c_str());
  HMODULE unzDll = LoadLibraryW((dir + L"\\UNZDLL.DLL").c_str());
  ASSERT_TRUE(zipDll && unzDll);
  auto zipExec = Entry<z::ZipDllExecFn>(zipDll, "ZipDllExec");
  auto zipVers = Entry<z::GetZipDllVersionFn>(zipDll, "GetZipDllVersion");
  auto unzExec = Entry<z::UnzDllExecFn>(unzDll, "UnzDllExec");
  auto unzVers = Entry<z::GetUnzDllVersionFn>(unzDll, "GetUnzDllVersion");
  ASSERT_TRUE(zipExec && zipVers && unzExec && unzVers);
  EXPECT_EQ(zipVers(), 140);
  EXPECT_EQ(unzVers(), 140);
  Filled<z::ZipCallRecord> add("out.zip", {"*.txt"});
  std::snprintf(add.password, sizeof add.password, "pw");
  add.r->EncryptOn = 1;
  EXPECT_EQ(zipExec(add.r.get()), 2);
  fs::create_directories("x");
  fs::current_path("x");
  Filled<z::UnzipCallRecord> extract("..\\out.zip", {"B.TXT"});
  std::snprintf(extract.password, sizeof extract.password, "pw");
  EXPECT_EQ(unzExec(extract.r.get()), 1);
  EXPECT_EQ(ReadBytes("b.txt"), "bee");
  FreeLibrary(zipDll);
  FreeLibrary(unzDll);
}
#endif

}  // namespace
}  // namespace quillow::test
