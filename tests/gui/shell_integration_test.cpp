// The Find-menu extension Quillow.dll as the shell drives it, the Start-menu link read back
// through the shell-link object, and the Find-menu rows read back from the registry.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "gui_test_util.h"
#include "platform/win32/text.h"
#include "settings/find_registration_win32.h"
#include "settings/prog_link.h"

namespace quillow::test {
namespace {

using platform::Narrow;
using platform::Widen;

std::string HostPath(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return "Z:" + path;
}

// A value of HKCU\Software\Ostrel\Quillow set for one test and put back afterwards.
class LocationValue {
 public:
  LocationValue() {
    DWORD bytes = sizeof(old_);
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"Location", RRF_RT_REG_SZ, nullptr, old_,
                        &bytes) == ERROR_SUCCESS;
  }
  ~LocationValue() {
    if (had_)
      Set(Narrow(old_));
    else
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Location");
  }
  void Set(const std::string& value) {
    const std::wstring wide = Widen(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Location", REG_SZ, wide.c_str(),
                    static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  }
  void Remove() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Location"); }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Ostrel\\Quillow";
  wchar_t old_[MAX_PATH] = {};
  bool had_ = false;
};

constexpr CLSID kClsid = {
    0x5B2E8A41, 0x7C3D, 0x4F96, {0xA1, 0xE0, 0x3D, 0x4C, 0x6B, 0x9F, 0x2E, 0x17}};

HRESULT Invoke(IContextMenu* menu) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof(info);
  info.lpVerb = MAKEINTRESOURCEA(0);
  info.nShow = SW_SHOWNORMAL;
  return menu->InvokeCommand(&info);
}

TEST(FindExtension, ShellLoadsItFillsTheMenuAndStartsQuillow) {
  HMODULE dll = LoadLibraryW(Widen(HostPath(QUILLOW_FINDEXT_DLL)).c_str());
  ASSERT_NE(dll, nullptr);
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using CanUnloadNow = HRESULT(WINAPI*)();
  auto getClassObject = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_TRUE(getClassObject && canUnloadNow);

  void* out = nullptr;
  EXPECT_EQ(getClassObject(CLSID_ShellLink, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(kClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  IShellExtInit* init = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)),
            S_OK);
  EXPECT_EQ(factory->CreateInstance(init, IID_IShellExtInit, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
  IContextMenu* menu = nullptr;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
  EXPECT_EQ(init->QueryInterface(IID_IPersistFile, &out), E_NOINTERFACE);

  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 1, L"other");
  const HRESULT added = menu->QueryContextMenu(popup, 0, 100, 200, CMF_NORMAL);
  EXPECT_TRUE(SUCCEEDED(added) && HRESULT_CODE(added) == 1);
  wchar_t text[64] = {};
  GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(Narrow(text), "using &Quillow...");
  EXPECT_EQ(GetMenuItemID(popup, 0), 100u);
  DestroyMenu(popup);

  // The command starts Quillow.exe from "Location", in that folder.
  TempFolder home;
  const std::string program = home.Path("Quillow.exe");
  std::filesystem::copy_file(HostPath(QUILLOW_PROBE_EXE), program);
  LocationValue location;
  location.Set(home.Root());
  EXPECT_EQ(Invoke(menu), S_OK);
  const std::string started = home.Path("started.txt");
  auto written = [&] {
    std::error_code ec;
    const auto size = std::filesystem::file_size(started, ec);
    return !ec && size > 0;
  };
  ASSERT_TRUE(PumpUntil(written, std::chrono::seconds(30)));
  Sleep(200);  // the probe closes its file just after writing it
  std::ifstream in(started, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::wstring wide(bytes.size() / 2, L'\0');
  memcpy(wide.data(), bytes.data(), wide.size() * 2);
  const std::string folder = Narrow(wide);
  EXPECT_EQ(folder, home.Root());

  // No value, a folder without the program, a folder that does not exist: an error, and
  // nothing started.
  in.close();
  std::filesystem::remove(started);
  for (const std::string& bad : {std::string(), home.Path("empty"), home.Path("missing\\deeper")}) {
    if (bad.empty())
      location.Remove();
    else
      location.Set(bad);
    home.Folder("empty");
    EXPECT_TRUE(FAILED(Invoke(menu))) << bad;
  }
  CMINVOKECOMMANDINFO other{};
  other.cbSize = sizeof(other);
  other.lpVerb = MAKEINTRESOURCEA(1);
  EXPECT_EQ(menu->InvokeCommand(&other), E_INVALIDARG);
  EXPECT_EQ(menu->InvokeCommand(nullptr), E_INVALIDARG);
  EXPECT_FALSE(std::filesystem::exists(started));

  // Reference counts: the object goes with its last interface, the factory with its own.
  EXPECT_EQ(menu->Release(), 1u);
  EXPECT_EQ(init->Release(), 0u);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  factory->LockServer(TRUE);
  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  IClassFactory* again = nullptr;
  ASSERT_EQ(getClassObject(kClsid, IID_IClassFactory, reinterpret_cast<void**>(&again)), S_OK);
  again->LockServer(FALSE);
  EXPECT_EQ(again->Release(), 0u);
  EXPECT_EQ(canUnloadNow(), S_OK);
  FreeLibrary(dll);
}

struct LinkFields {
  std::string path, description, working;
};

LinkFields LoadLink(const std::string& file) {
  LinkFields fields;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return fields;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Load(Widen(file).c_str(), STGM_READ))) {
      wchar_t text[MAX_PATH] = {};
      link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
      fields.path = Narrow(text);
      link->GetDescription(text, MAX_PATH);
      fields.description = Narrow(text);
      link->GetWorkingDirectory(text, MAX_PATH);
      fields.working = Narrow(text);
    }
    persist->Release();
  }
  link->Release();
  return fields;
}

TEST(ProgLink, WritesTheLinkIntoItsSubfolderAndOverwritesIt) {
  TempFolder home;
  home.Write("app\\Quillow.exe", "MZ");
  settings::TProgLink link;
  link.ProgramsFolder = [&] { return home.Path("Programs"); };
  home.Folder("Programs");
  link.SourceName = home.Path("app\\Quillow.exe");
  link.LinkName = "Tools\\Quillow.lnk";
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(link.MakeLink()) << run;
    EXPECT_EQ(link.LinkPath(), home.Path("Programs\\Tools\\Quillow.lnk"));
    const LinkFields fields = LoadLink(link.LinkPath());
    EXPECT_EQ(fields.path, link.SourceName);
    EXPECT_EQ(fields.description, "No description available");
    EXPECT_EQ(fields.working, home.Path("app") + "\\");
    // Wine's shell link reads the show command back as 1 whatever the file holds; the
    // header's ShowCommand field (offset 0x3C) is what Windows reads.
    std::ifstream file(link.LinkPath(), std::ios::binary);
    char header[0x4C] = {};
    file.read(header, sizeof(header));
    EXPECT_EQ(static_cast<unsigned char>(header[0x3C]), SW_SHOWMAXIMIZED);
  }
  // A Programs folder that is a file cannot take the link.
  home.Write("blocked", "x");
  link.ProgramsFolder = [&] { return home.Path("blocked"); };
  EXPECT_FALSE(link.MakeLink());
  // The user's own Programs folder is found (the registry's or the platform's).
  EXPECT_GT(settings::StartMenuProgramsFolder().size(), 3u);
}

// A key below HKCU that stands in for a registry root and is removed at the end.
class ScratchKey {
 public:
  explicit ScratchKey(const std::wstring& name) : path_(L"Software\\QuillowTest\\" + name) {
    RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
  }
  ~ScratchKey() {
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  HKEY get() const { return key_; }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
};

// The row's data as the registry holds it, or "(missing)".
std::string ReadBack(HKEY root, const settings::RegistryRow& row) {
  const std::wstring key = Widen(row.key), value = Widen(row.value);
  if (row.dword) {
    DWORD number = 0, bytes = sizeof(number);
    if (RegGetValueW(root, key.c_str(), value.c_str(), RRF_RT_REG_DWORD, nullptr, &number,
                     &bytes) != ERROR_SUCCESS)
      return "(missing)";
    return std::to_string(number);
  }
  wchar_t text[MAX_PATH] = {};
  DWORD bytes = sizeof(text);
  if (RegGetValueW(root, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, text, &bytes) !=
      ERROR_SUCCESS)
    return "(missing)";
  return Narrow(text);
}

TEST(FindRegistrationRows, ReadBackFromTheRegistryAndStopAtTheFirstFailure) {
  const auto rows = settings::FindRegistrationRows("C:\\Tools\\Q\\Quillow.exe");
  {
    ScratchKey machine(L"machine"), user(L"user");
    for (int run = 0; run < 2; ++run) {
      ASSERT_EQ(settings::WriteRegistryRows(rows, machine.get(), user.get()), "");
      for (const settings::RegistryRow& row : rows) {
        const HKEY root =
            row.root == settings::RegistryRoot::kLocalMachine ? machine.get() : user.get();
        EXPECT_EQ(ReadBack(root, row), row.dword ? std::to_string(row.number) : row.text)
            << row.key << " " << row.value;
      }
    }
  }
  // A key that cannot be made: below a volatile key only volatile keys may be. The rows
  // before it are in, none after it.
  ScratchKey machine(L"machine"), user(L"user");
  HKEY volatileKey = nullptr;
  ASSERT_EQ(RegCreateKeyExW(machine.get(), Widen(rows[1].key).c_str(), 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(volatileKey);
  // The unnamed value is named by its key.
  EXPECT_EQ(settings::WriteRegistryRows(rows, machine.get(), user.get()),
            "Failed to set data for the default value of 'HKEY_LOCAL_MACHINE\\Software\\"
            "Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\Static\\Quillow\\0\\"
            "DefaultIcon'");
  EXPECT_EQ(ReadBack(machine.get(), rows[1]), "using &Quillow...");
  for (size_t i = 2; i < rows.size(); ++i)
    EXPECT_EQ(
        ReadBack(rows[i].root == settings::RegistryRoot::kLocalMachine ? machine.get() : user.get(),
                 rows[i]),
        "(missing)")
        << i;
}

}  // namespace
}  // namespace quillow::test
