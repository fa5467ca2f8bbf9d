// The component on Windows: libraries loaded for real from a folder (stand-ins lacking one
// entry point each), the error mode around the load, a call across the library boundary,
// and the password box answered as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/win32/text.h"
#include "ui/dialogs/password/password_dialog.h"
#include "ui/services.h"
#include "ui/zip_component_ui.h"

namespace quillow::zip {
namespace {

class RecordingBoxes final : public ui::MessageBoxes {
 public:
  int Show(HWND, const std::string& text, const std::string& title, UINT type) override {
    texts.push_back(text);
    EXPECT_EQ(title, "Quillow");
    EXPECT_EQ(type, static_cast<UINT>(MB_OK));
    return IDOK;
  }
  std::vector<std::string> texts;
};

std::string ProbeDir() {
  std::string dir = QUILLOW_PROBE_DIR;
  std::replace(dir.begin(), dir.end(), '/', '\\');
  return dir;
}

template <typename T>
T* Exported(const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  return m ? reinterpret_cast<T*>(GetProcAddress(m, name)) : nullptr;
}

class ZipComponentWin32 : public ::testing::Test {
 protected:
  void TearDown() override {
    comp->Unload_Zip_Dll();
    comp->Unload_Unz_Dll();
  }
  RecordingBoxes boxes;
  std::unique_ptr<TZipComponent> comp = ui::MakeZipComponent(boxes, nullptr, "Quillow");
};

TEST_F(ZipComponentWin32, LoadsFromDLLDirectoryWithTheErrorBoxesOff) {
  // One trailing backslash is dropped, two keep one: the library is found either way.
  for (const std::string& folder : {ProbeDir() + "\\", ProbeDir() + "\\\\"}) {
    boxes.texts.clear();
    SetErrorMode(SEM_NOOPENFILEERRORBOX);
    comp->Trace = true;
    comp->SetDLLDirectory(folder);
    comp->Load_Zip_Dll();
    comp->Load_Unz_Dll();
    EXPECT_EQ(boxes.texts,
              (std::vector<std::string>{
                  "ZIP DLL Loaded", "GetZipDllVersion function not found in ZIPDLL.DLL!",
                  "UNZDLL Loaded!", "UnzDllExec function not found in UNZDLL.DLL!"}));
    const UINT* mode = Exported<UINT>(L"ZIPDLL.DLL", "LoadErrorMode");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(*mode, static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX));
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(comp->GetUnzVers(), 7);
    comp->Unload_Zip_Dll();
    comp->Unload_Unz_Dll();
    EXPECT_EQ(GetModuleHandleW(L"ZIPDLL.DLL"), nullptr);
  }
  SetErrorMode(0);
  EXPECT_EQ(comp->DLLDirectory(), ProbeDir() + "\\");
}

TEST_F(ZipComponentWin32, MissingLibraries) {
  const auto empty = std::filesystem::temp_directory_path() / "quillow-no-libraries";
  std::filesystem::create_directories(empty);
  comp->SetDLLDirectory(empty.string());
  comp->Load_Zip_Dll();
  EXPECT_EQ(comp->GetUnzVers(), 0);
  EXPECT_EQ(boxes.texts,
            (std::vector<std::string>{"ZIPDLL.DLL not found!", "UNZDLL.DLL not found!"}));
  EXPECT_FALSE(TZipComponent::ZipDllLoaded() || TZipComponent::UnzDllLoaded());
}

TEST_F(ZipComponentWin32, CallAcrossTheLibraryBoundary) {
  comp->SetDLLDirectory(ProbeDir());
  comp->Load_Zip_Dll();  // held by the test, so its record survives the call
  boxes.texts.clear();
  comp->Trace = true;
  comp->AddOptions = {AddFreshen, AddUpdate};
  comp->SetZipFilename((std::filesystem::temp_directory_path() / "quillow-new.zip").string());
  comp->FSpecArgs = {"*.txt"};
  std::vector<std::string> seen;
  comp->OnProgress = [&](TZipComponent& c, ProgrType type, const std::string& name, int32_t size) {
    seen.push_back(std::to_string(type) + name + std::to_string(size) +
                   (c.ZipBusy() ? " busy" : ""));
    if (type == ProgressFileStart) c.CancelRequested = true;  // the same callback says stop
  };
  comp->Add();
  EXPECT_EQ(seen, (std::vector<std::string>{"0a.txt5 busy", "10 busy"}));
  EXPECT_EQ(comp->ProcessedCount, 11);
  EXPECT_FALSE(comp->CancelRequested || comp->ZipBusy());
  const auto* received = Exported<ZipCallRecord>(L"ZIPDLL.DLL", "Received");
  ASSERT_NE(received, nullptr);
  EXPECT_EQ(received->Caller, comp.get());
  EXPECT_EQ(received->Version, 140);
  EXPECT_EQ(received->VerboseOn, 1);  // forced by Trace
  EXPECT_EQ(received->UpdateOn, 1);
  EXPECT_EQ(received->FreshenOn, 0);
  EXPECT_EQ(received->NameCount, 1);
  EXPECT_STREQ(Exported<char>(L"ZIPDLL.DLL", "ReceivedName"), "*.txt");
  EXPECT_TRUE(TZipComponent::ZipDllLoaded());
  EXPECT_TRUE(boxes.texts.empty());
}

// Answers the next "Password" box of this thread: types `text` and presses OK, or Cancel.
struct BoxAnswer {
  std::string text;
  bool ok = true;
  std::string prompt;  // what the box said
};
BoxAnswer* gAnswer = nullptr;

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(nullptr, platform::Widen(ui::kPasswordCaption).c_str());
  if (!box || !IsWindowVisible(box)) return;
  KillTimer(nullptr, timer);
  wchar_t prompt[64] = {};
  HWND label = FindWindowExW(box, nullptr, L"STATIC", nullptr);
  GetWindowTextW(label, prompt, 64);
  gAnswer->prompt = platform::Narrow(prompt);
  SetWindowTextW(GetDlgItem(box, ui::kPasswordEditId), platform::Widen(gAnswer->text).c_str());
  SendMessageW(GetDlgItem(box, gAnswer->ok ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
}

std::string AskWith(TZipComponent& comp, int kind, const std::string& text, bool ok,
                    std::string* prompt) {
  BoxAnswer answer{text, ok, ""};
  gAnswer = &answer;
  SetTimer(nullptr, 0, 20, AnswerBox);
  std::string got = comp.GetPassword(kind);
  *prompt = answer.prompt;
  return got;
}

TEST_F(ZipComponentWin32, PasswordBox) {
  std::string prompt;
  EXPECT_EQ(AskWith(*comp, 1, "Geheim 1", true, &prompt), "Geheim 1");
  EXPECT_EQ(prompt, "Enter Password");
  EXPECT_EQ(AskWith(*comp, 0, "typed", false, &prompt), "");
  EXPECT_EQ(prompt, "Confirm Password");
  EXPECT_EQ(AskWith(*comp, 1, std::string(81, 'x'), true, &prompt), "");
}

}  // namespace
}  // namespace quillow::zip
