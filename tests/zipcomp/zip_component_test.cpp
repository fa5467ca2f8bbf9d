// The component's rules with stand-in libraries: in-process routines behind the names the
// real libraries export, and a system whose answers each test sets.
#include "zip/component/zip_component.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "core/reader_test_util.h"
#include "core/temp_tree.h"

namespace quillow::zip {
namespace {

struct World {
  std::vector<std::string> messages;
  std::vector<std::string> prompts;
  std::vector<std::string> answers;  // given to the password box in turn
  std::map<std::string, std::map<std::string, void*>> libraries;  // path -> exports
  std::vector<std::string> loads;
  int frees = 0;
  std::vector<std::string> entered;
};

class FakeLibrary final : public LoadedLibrary {
 public:
  FakeLibrary(World& w, std::map<std::string, void*> exports)
      : w_(w), exports_(std::move(exports)) {}
  ~FakeLibrary() override { ++w_.frees; }
  void* EntryPoint(const char* name) override {
    auto it = exports_.find(name);
    return it == exports_.end() ? nullptr : it->second;
  }

 private:
  World& w_;
  std::map<std::string, void*> exports_;
};

class FakeSystem final : public ZipSystem {
 public:
  explicit FakeSystem(World& w) : w_(w) {}
  void ShowMessage(const std::string& text) override { w_.messages.push_back(text); }
  std::string InputPassword(const std::string& prompt) override {
    w_.prompts.push_back(prompt);
    if (w_.answers.empty()) return "";
    std::string a = w_.answers.front();
    w_.answers.erase(w_.answers.begin());
    return a;
  }
  bool FileExists(const std::string& path) override {
    return w_.libraries.count(path) || std::filesystem::is_regular_file(path);
  }
  bool EnterFolder(const std::string& folder) override {
    if (!std::filesystem::is_directory(folder)) return false;
    w_.entered.push_back(folder);
    return true;
  }
  std::unique_ptr<LoadedLibrary> OpenLibrary(const std::string& path) override {
    w_.loads.push_back(path);
    auto it = w_.libraries.find(path);
    if (it == w_.libraries.end()) return nullptr;
    return std::make_unique<FakeLibrary>(w_, it->second);
  }

 private:
  World& w_;
};

// What the stand-in Exec routines see and do; reset by each test.
ZipCallRecord gZip;
UnzipCallRecord gUnzip;
std::vector<std::string> gNames;
std::string gZipName, gPassword;
std::function<int32_t()> gDuringCall;

template <typename Record>
int32_t Capture(Record& copy, const Record* r) {
  copy = *r;
  gNames.clear();
  for (int i = 0; i < r->NameCount; ++i) gNames.emplace_back(r->Names[i]);
  gZipName = r->ZipName;
  gPassword = r->PasswordText;
  return gDuringCall ? gDuringCall() : r->NameCount;
}
int32_t QUILLOW_STDCALL ZipExec(ZipCallRecord* r) { return Capture(gZip, r); }
int32_t QUILLOW_STDCALL UnzExec(UnzipCallRecord* r) { return Capture(gUnzip, r); }
int32_t QUILLOW_STDCALL ZipVersion() { return 190; }
int32_t QUILLOW_STDCALL UnzVersion() { return 191; }
int32_t QUILLOW_STDCALL Throws(ZipCallRecord*) { throw std::runtime_error("library fault"); }

template <typename Fn>
void* Export(Fn fn) {
  return reinterpret_cast<void*>(fn);
}

// One 32-bit field of a call record and what the component must have put there.
template <typename Record>
struct Field {
  const char* name;
  int32_t Record::*member;
  int32_t value;
};
#define ZIP_FIELD(name, value) \
  Field<ZipCallRecord> { #name, &ZipCallRecord::name, value }
#define UNZIP_FIELD(name, value) \
  Field<UnzipCallRecord> { #name, &UnzipCallRecord::name, value }

template <typename Record>
void ExpectFields(const Record& r, std::initializer_list<Field<Record>> fields) {
  for (const Field<Record>& f : fields) EXPECT_EQ(r.*f.member, f.value) << f.name;
}

class ZipComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gZip = {};
    gUnzip = {};
    gDuringCall = nullptr;
    w.libraries["ZIPDLL.DLL"] = {{"ZipDllExec", Export(&ZipExec)},
                                 {"GetZipDllVersion", Export(&ZipVersion)}};
    w.libraries["UNZDLL.DLL"] = {{"UnzDllExec", Export(&UnzExec)},
                                 {"GetUnzDllVersion", Export(&UnzVersion)}};
    comp = std::make_unique<TZipComponent>(std::make_unique<FakeSystem>(w), &ownerTag);
    tree.Write("a.zip", test::LoadFile(test::TestData("zip/basic.zip")));
    archive = tree.Path("a.zip");
  }
  void TearDown() override {
    comp->Unload_Zip_Dll();
    comp->Unload_Unz_Dll();
  }
  // An archive that exists, a name to pass, and no listing messages in the way.
  void Ready() {
    comp->SetZipFilename(archive);
    comp->FSpecArgs = {"*.txt", "docs\\readme.txt"};
  }

  int ownerTag = 0;
  World w;
  test::TempTree tree;
  std::string archive;
  std::unique_ptr<TZipComponent> comp;
};

TEST_F(ZipComponentTest, ZipRecordFromTheProperties) {
  Ready();
  comp->Password = "secret";
  comp->AddCompLevel = 6;
  comp->Trace = true;  // without Verbose
  comp->AddOptions = {AddRecurseDirs, AddFreshen, AddUpdate, AddEncrypt, AddZipTime};
  comp->Add();
  EXPECT_EQ(gZip.OwnerWindow, &ownerTag);
  EXPECT_EQ(gZip.Caller, comp.get());
  EXPECT_EQ(gZip.CallbackProc, &TZipComponent::ZCallback);
  ExpectFields(gZip, {ZIP_FIELD(Version, 140), ZIP_FIELD(TraceOn, 1), ZIP_FIELD(VerboseOn, 1),
                      ZIP_FIELD(CompLevel, 6), ZIP_FIELD(NoDirNames, 1), ZIP_FIELD(RecurseDirs, 1),
                      ZIP_FIELD(EncryptOn, 1), ZIP_FIELD(ZipTimeOn, 1), ZIP_FIELD(HiddenFilesOn, 0),
                      ZIP_FIELD(MoveFiles, 0), ZIP_FIELD(ForceDOS, 0), ZIP_FIELD(DeleteMode, 0),
                      ZIP_FIELD(UpdateOn, 1), ZIP_FIELD(FreshenOn, 0),  // update wins
                      ZIP_FIELD(Reserved44, 1), ZIP_FIELD(Reserved56, 1), ZIP_FIELD(Reserved80, 1),
                      ZIP_FIELD(Reserved128, 7), ZIP_FIELD(NameCount, 2)});
  EXPECT_EQ(gNames, (std::vector<std::string>{"*.txt", "docs\\readme.txt"}));
  EXPECT_EQ(gZipName, archive);
  EXPECT_EQ(gPassword, "secret");
  // After the call: the list cleared, the count kept, the archive listed again.
  EXPECT_TRUE(comp->FSpecArgs.empty());
  EXPECT_EQ(comp->ProcessedCount, 2);
  EXPECT_EQ(comp->GetCount(), 4);
  EXPECT_EQ(w.messages, std::vector<std::string>{"ZIP DLL Loaded"});

  comp->AddOptions = {AddFreshen, AddDirNames, AddMove};
  comp->Trace = false;
  comp->FSpecArgs = {"x"};
  comp->Add();
  ExpectFields(gZip, {ZIP_FIELD(FreshenOn, 1), ZIP_FIELD(UpdateOn, 0), ZIP_FIELD(NoDirNames, 0),
                      ZIP_FIELD(VerboseOn, 0), ZIP_FIELD(MoveFiles, 1)});
}

TEST_F(ZipComponentTest, DeleteOverridesTheAddSwitches) {
  Ready();
  comp->AddOptions = {AddRecurseDirs, AddMove, AddUpdate, AddEncrypt, AddHiddenFiles};
  comp->Delete();
  ExpectFields(gZip,
               {ZIP_FIELD(DeleteMode, 1), ZIP_FIELD(EncryptOn, 0), ZIP_FIELD(NoDirNames, 0),
                ZIP_FIELD(RecurseDirs, 0), ZIP_FIELD(Reserved80, 0), ZIP_FIELD(MoveFiles, 0),
                ZIP_FIELD(UpdateOn, 0), ZIP_FIELD(FreshenOn, 0), ZIP_FIELD(HiddenFilesOn, 1)});
  EXPECT_EQ(gNames.size(), 2u);
}

TEST_F(ZipComponentTest, UnzipRecordFromTheProperties) {
  Ready();
  comp->Verbose = true;
  comp->ExtrOptions = {ExtrDirNames, ExtrFreshen, ExtrUpdate, ExtrTest};
  comp->ExtrBaseDir = tree.Root();
  comp->Extract();
  EXPECT_EQ(gUnzip.Caller, comp.get());
  ExpectFields(gUnzip,
               {UNZIP_FIELD(Version, 140), UNZIP_FIELD(VerboseOn, 1), UNZIP_FIELD(TraceOn, 0),
                UNZIP_FIELD(TestOnly, 1), UNZIP_FIELD(DirNamesOn, 1), UNZIP_FIELD(OverwriteOn, 0),
                UNZIP_FIELD(UpdateOn, 1), UNZIP_FIELD(FreshenOn, 0), UNZIP_FIELD(Reserved40, 1),
                UNZIP_FIELD(Reserved72, 7)});
  EXPECT_EQ(gNames.size(), 2u);
  EXPECT_EQ(w.entered, std::vector<std::string>{tree.Root()});

  comp->ExtrOptions = {ExtrFreshen, ExtrOverWrite};
  comp->ExtrBaseDir = tree.Path("no such folder");
  comp->Extract();
  ExpectFields(gUnzip, {UNZIP_FIELD(FreshenOn, 1), UNZIP_FIELD(OverwriteOn, 1)});
  EXPECT_EQ(w.entered.size(), 1u);  // a missing folder leaves the current one
  EXPECT_EQ(gNames.size(), 0u);     // the first call cleared the list
}

TEST_F(ZipComponentTest, RefusalsBeforeAnyLibrary) {
  const std::string missing = tree.Path("missing.zip");
  const std::string longText(256, 'n');
  struct Case {
    std::string zip;
    std::vector<std::string> specs;
    std::string password;
    void (TZipComponent::*op)();
    std::string message;
  } cases[] = {
      {archive, {}, "", &TZipComponent::Add, "Error - no files to zip!"},
      {"", {"a"}, "", &TZipComponent::Add, "Error - no zip file specified!"},
      {archive, {}, "", &TZipComponent::Delete, "Error - no files selected for deletion"},
      {missing, {"a"}, "", &TZipComponent::Delete, "Error - no zip file specified"},
      {missing, {"a"}, "", &TZipComponent::Extract, "Error - no zip file specified"},
      {archive, std::vector<std::string>(4097, "a"), "", &TZipComponent::Add,
       "Error - too many file specifications (at most 4096)"},
      {archive,
       {"a", longText},
       "",
       &TZipComponent::Extract,
       "Error - file specification too long (at most 255 bytes): " + longText.substr(0, 60) +
           "..."},
      {archive,
       {"a"},
       std::string(81, 'p'),
       &TZipComponent::Delete,
       "Error - password too long (at most 80 bytes)"},
  };
  for (const Case& c : cases) {
    comp->SetZipFilename(c.zip);
    w.messages.clear();
    comp->FSpecArgs = c.specs;
    comp->Password = c.password;
    comp->ProcessedCount = 5;
    (comp.get()->*c.op)();
    EXPECT_EQ(w.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(comp->ProcessedCount, 0);
  }
  EXPECT_TRUE(w.loads.empty());
  // The most that fits goes through.
  comp->FSpecArgs = std::vector<std::string>(4096, std::string(255, 'n'));
  comp->Password = std::string(80, 'p');
  comp->Add();
  EXPECT_EQ(gNames.size(), 4096u);
  EXPECT_EQ(gNames.back().size(), 255u);
  EXPECT_EQ(gZip.Names[4096], nullptr);
}

TEST_F(ZipComponentTest, LibraryFoundInDLLDirectoryFirst) {
  const std::string folder = tree.Root();
  w.libraries[folder + "\\UNZDLL.DLL"] = w.libraries["UNZDLL.DLL"];
  comp->SetDLLDirectory(folder + "\\");
  EXPECT_EQ(comp->DLLDirectory(), folder);
  EXPECT_EQ(comp->GetUnzVers(), 191);
  EXPECT_EQ(comp->GetZipVers(), 190);  // not there: the bare name
  EXPECT_EQ(w.loads, (std::vector<std::string>{folder + "\\UNZDLL.DLL", "ZIPDLL.DLL"}));
  EXPECT_EQ(w.frees, 2);  // each query loaded its library, so it unloaded it
  comp->SetDLLDirectory(folder + "\\\\");
  EXPECT_EQ(comp->DLLDirectory(), folder + "\\");
}

TEST_F(ZipComponentTest, LoadFailuresAndTheLibraryUserCodeLoaded) {
  w.libraries["ZIPDLL.DLL"].erase("GetZipDllVersion");
  w.libraries["UNZDLL.DLL"] = {{"GetUnzDllVersion", Export(&UnzVersion)}};
  comp->Load_Zip_Dll();
  comp->Load_Unz_Dll();
  EXPECT_EQ(w.messages,
            (std::vector<std::string>{"GetZipDllVersion function not found in ZIPDLL.DLL!",
                                      "UnzDllExec function not found in UNZDLL.DLL!"}));
  EXPECT_TRUE(TZipComponent::ZipDllLoaded());
  EXPECT_EQ(comp->GetZipVers(), 0);
  // An Exec routine that was not found is never called, and a library loaded by user
  // code stays loaded through operations.
  Ready();
  comp->Extract();
  EXPECT_EQ(gUnzip.Version, 0);
  comp->Add();
  EXPECT_EQ(gZip.Version, 140);
  EXPECT_TRUE(TZipComponent::ZipDllLoaded() && TZipComponent::UnzDllLoaded());
  EXPECT_EQ(w.frees, 0);
  comp->Unload_Unz_Dll();
  comp->Unload_Zip_Dll();
  EXPECT_EQ(w.frees, 2);

  w.libraries.clear();
  w.messages.clear();
  comp->FSpecArgs = {"a"};
  comp->Extract();
  EXPECT_EQ(comp->GetZipVers(), 0);
  EXPECT_EQ(w.messages,
            (std::vector<std::string>{"UNZDLL.DLL not found!", "ZIPDLL.DLL not found!"}));
  EXPECT_FALSE(TZipComponent::UnzDllLoaded());
}

TEST_F(ZipComponentTest, BusyFlagsAndCancelRequests) {
  Ready();
  std::vector<std::string> seen;
  gDuringCall = [&] {
    seen.push_back(std::string(comp->UnzipBusy() ? "unzip" : "") + (comp->ZipBusy() ? "zip" : ""));
    // Nested calls of the same kind return at once; a nested Extract has already cleared
    // the request, a nested Add or Delete leaves it.
    comp->CancelRequested = true;
    comp->FSpecArgs = {"nested"};
    if (comp->UnzipBusy()) {
      comp->Extract();
      seen.push_back(comp->CancelRequested ? "kept" : "cleared");
    } else {
      comp->Add();
      seen.push_back(comp->CancelRequested ? "kept" : "cleared");
      comp->Delete();
      seen.push_back(comp->CancelRequested ? "kept" : "cleared");
    }
    comp->CancelRequested = true;
    return 0;
  };
  comp->Extract();
  EXPECT_FALSE(comp->CancelRequested);
  comp->FSpecArgs = {"a"};
  comp->Add();
  EXPECT_FALSE(comp->CancelRequested);
  comp->FSpecArgs = {"a"};
  comp->Delete();
  EXPECT_TRUE(comp->CancelRequested);  // a delete leaves it as it was
  EXPECT_EQ(seen, (std::vector<std::string>{"unzip", "cleared", "zip", "kept", "kept", "zip",
                                            "kept", "kept"}));
  EXPECT_FALSE(comp->ZipBusy() || comp->UnzipBusy());
  EXPECT_TRUE(w.messages.empty());
}

TEST_F(ZipComponentTest, CallbackReportsAndCancel) {
  Ready();
  std::vector<std::string> events;
  comp->OnProgress = [&](TZipComponent& s, ProgrType t, const std::string& name, int32_t size) {
    EXPECT_EQ(&s, comp.get());
    events.push_back(std::to_string(t) + ":" + name + ":" + std::to_string(size));
    if (t == ProgressStep) s.CancelRequested = true;
  };
  comp->OnMessage = [&](TZipComponent&, int code, const std::string& text) {
    events.push_back("msg " + std::to_string(code) + ":" + text);
  };
  std::vector<int32_t> answers;
  gDuringCall = [&] {
    ZCallBackStruct cb{};
    cb.Caller = gUnzip.Caller;
    auto send = [&](int32_t action, const char* text, int32_t size = 0, int32_t code = 0) {
      cb.ActionCode = action;
      cb.FileSize = size;
      cb.ErrorCode = code;
      std::strncpy(cb.Text, text, sizeof cb.Text);
      answers.push_back(gUnzip.CallbackProc(&cb));
    };
    send(0, "nothing");
    send(1, "a.txt", 12);
    send(2, "ignored", 99);
    send(3, "ignored");
    send(7, "skipped a.txt \r\n\t ", 0, 3);
    std::memset(cb.Text, 'z', sizeof cb.Text);  // no terminator anywhere
    cb.ActionCode = 4;
    cb.ErrorCode = 0;
    answers.push_back(gUnzip.CallbackProc(&cb));
    return 1;
  };
  comp->Extract();
  EXPECT_EQ(answers, (std::vector<int32_t>{0, 0, 1, 1, 1, 1}));
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0], "0:a.txt:12");
  EXPECT_EQ(events[1], "1::0");
  EXPECT_EQ(events[2], "2::0");
  EXPECT_EQ(events[3], "msg 3:skipped a.txt");
  EXPECT_EQ(events[4], "msg 0:" + std::string(512, 'z'));
  EXPECT_FALSE(comp->CancelRequested);  // cleared when the operation ends
}

TEST_F(ZipComponentTest, FaultsInTheCallEndWithTheAbortMessage) {
  Ready();
  comp->OnProgress = [](TZipComponent&, ProgrType, const std::string&, int32_t) {
    throw std::runtime_error("handler fault");
  };
  int32_t answer = -1;
  gDuringCall = [&] {
    ZCallBackStruct cb{};
    cb.Caller = gUnzip.Caller;
    cb.ActionCode = 1;
    answer = gUnzip.CallbackProc(&cb);
    return 0;
  };
  comp->Extract();
  EXPECT_EQ(answer, 1);
  w.libraries["ZIPDLL.DLL"]["ZipDllExec"] = Export(&Throws);
  comp->FSpecArgs = {"a"};
  comp->Add();
  EXPECT_EQ(w.messages, (std::vector<std::string>{"Fatal Error UnzDLL.DLL: abort exception",
                                                  "Fatal Error ZipDLL.DLL: abort exception"}));
  EXPECT_TRUE(comp->FSpecArgs.empty());
  EXPECT_FALSE(comp->ZipBusy());
}

TEST_F(ZipComponentTest, Passwords) {
  struct Case {
    std::vector<std::string> answers;
    std::string password;
    size_t prompts;
    bool mismatch;
  } cases[] = {
      {{"abc", "abc"}, "abc", 2, false},
      {{"abc", "ABC"}, "", 2, true},  // compared exactly
      {{"", "abc"}, "", 1, false},
      {{"abc", ""}, "", 2, false},
      {{std::string(81, 'p'), "x"}, "", 1, false},
      {{std::string(80, 'p'), std::string(80, 'p')}, std::string(80, 'p'), 2, false},
  };
  for (const Case& c : cases) {
    w = {};
    w.answers = c.answers;
    comp->Password = "old";
    comp->GetAddPassword();
    EXPECT_EQ(comp->Password, c.password);
    EXPECT_EQ(w.prompts.size(), c.prompts);
    EXPECT_EQ(!w.messages.empty(), c.mismatch);
  }
  EXPECT_EQ(w.prompts, (std::vector<std::string>{"Enter Password", "Confirm Password"}));
  EXPECT_EQ(w.messages, std::vector<std::string>{});
  w = {};
  w.answers = {"abc", "ABC"};
  comp->GetAddPassword();
  EXPECT_EQ(w.messages,
            std::vector<std::string>{"Error - passwords do NOT match\nPassword ignored"});
  w.answers = {"open"};
  comp->GetExtrPassword();
  EXPECT_EQ(comp->Password, "open");
}

TEST_F(ZipComponentTest, ListingFollowsTheArchiveName) {
  int updates = 0;
  comp->OnDirUpdate = [&](TZipComponent&) { ++updates; };
  comp->SetZipFilename(archive);
  EXPECT_EQ(comp->GetCount(), 4);
  EXPECT_EQ(comp->ZipEntries[1].FileName, "docs\\readme.txt");
  EXPECT_EQ(updates, 1);
  comp->SetZipFilename(tree.Path("missing.zip"));
  EXPECT_TRUE(comp->ZipEntries.empty());
  comp->SetZipFilename("");
  EXPECT_EQ(comp->GetCount(), 0);
  tree.Write("text.zip", "no archive here");
  comp->SetZipFilename(tree.Path("text.zip"));
  EXPECT_EQ(updates, 2);  // after the message too
  EXPECT_EQ(w.messages, std::vector<std::string>{"No valid zip entries found!"});
}

TEST(ZipComponentHelpers, Slashes) {
  EXPECT_EQ(TZipComponent::AppendSlash(""), "");
  EXPECT_EQ(TZipComponent::AppendSlash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(TZipComponent::AppendSlash("C:\\a\\"), "C:\\a\\");
  char buffer[] = "a/b/c.txt";
  EXPECT_EQ(TZipComponent::ReplaceForwardSlash(buffer), buffer);
  EXPECT_STREQ(buffer, "a\\b\\c.txt");
}

}  // namespace
}  // namespace quillow::zip
