// Quillow.dll: the entry "using &Quillow..." of the Start menu's Find submenu. The shell
// loads it through the class identifier that "Create shortcut in Start Menu | Find"
// registers; invoking the entry starts Quillow.exe from the folder that the same command
// stored as "Location" under the program's settings key.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>
#include <new>
#include <string>

namespace {

// {5B2E8A41-7C3D-4F96-A1E0-3D4C6B9F2E17}
constexpr CLSID kClsid = {
    0x5B2E8A41, 0x7C3D, 0x4F96, {0xA1, 0xE0, 0x3D, 0x4C, 0x6B, 0x9F, 0x2E, 0x17}};
constexpr wchar_t kMenuText[] = L"using &Quillow...";
constexpr wchar_t kSettingsKey[] = L"Software\\Ostrel\\Quillow";
constexpr char kVerb[] = "quillow";
constexpr wchar_t kVerbW[] = L"quillow";
constexpr char kHelpText[] = "Finds files by name in folders and inside archives.";
constexpr wchar_t kHelpTextW[] = L"Finds files by name in folders and inside archives.";

// Live objects (factories included) and server locks: the shell unloads us when both are 0.
std::atomic<long> objects{0};
std::atomic<long> locks{0};

// The folder "Location" names, or an error: a missing or empty value, or one where no
// Quillow.exe lies, is refused before anything is started.
HRESULT ReadLocation(std::wstring& folder) {
  DWORD bytes = 0;
  LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"Location", RRF_RT_REG_SZ,
                                nullptr, nullptr, &bytes);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  folder.assign(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(folder.size() * sizeof(wchar_t));
  status = RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"Location", RRF_RT_REG_SZ, nullptr,
                        folder.data(), &bytes);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  folder.resize(wcsnlen(folder.c_str(), folder.size()));
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder.empty() ? HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) : S_OK;
}

HRESULT StartQuillow(int show) {
  std::wstring folder;
  const HRESULT location = ReadLocation(folder);
  if (FAILED(location)) return location;
  const std::wstring program = folder + L"\\Quillow.exe";
  const DWORD attributes = GetFileAttributesW(program.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  // A drive root keeps its backslash as the working folder ("C:" alone means "wherever
  // drive C last was").
  const std::wstring working = folder.back() == L':' ? folder + L"\\" : folder;
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (show != 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      working.c_str(), &startup, &process))
    return HRESULT_FROM_WIN32(GetLastError());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return S_OK;
}

HRESULT CopyOut(const char* text, LPSTR out, UINT size) {
  if (!out || size == 0) return E_INVALIDARG;
  lstrcpynA(out, text, static_cast<int>(size));
  return S_OK;
}

HRESULT CopyOut(const wchar_t* text, LPSTR out, UINT size) {
  if (!out || size == 0) return E_INVALIDARG;
  lstrcpynW(reinterpret_cast<LPWSTR>(out), text, static_cast<int>(size));
  return S_OK;
}

// What every object of this DLL shares: its reference count, its place in the count of live
// objects, and the end of QueryInterface.
template <typename Self>
class Counted {
 public:
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

 protected:
  Counted() { ++objects; }
  ~Counted() { --objects; }

  ULONG Hold() { return ++refs_; }
  ULONG Drop() {
    const ULONG left = --refs_;
    if (left == 0) delete static_cast<Self*>(this);
    return left;
  }
  // `found` is the interface asked for, or null when the object has none such.
  static HRESULT HandOut(IUnknown* found, void** out) {
    *out = found;
    if (!found) return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// A new object, handed out as the interface asked for (and gone again when it has none such).
template <typename T>
HRESULT CreateAs(REFIID iid, void** out) {
  auto* object = new (std::nothrow) T;
  if (!object) return E_OUTOFMEMORY;
  const HRESULT result = object->QueryInterface(iid, out);
  object->Release();
  return result;
}

class FindExtension final : public IShellExtInit,
                            public IContextMenu,
                            public Counted<FindExtension> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    IUnknown* found = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit))
      found = static_cast<IShellExtInit*>(this);
    else if (IsEqualIID(iid, IID_IContextMenu))
      found = static_cast<IContextMenu*>(this);
    return HandOut(found, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Hold(); }
  STDMETHODIMP_(ULONG) Release() override { return Drop(); }

  // The Find submenu hands over no folder or selection: there is nothing to keep.
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) override { return S_OK; }

  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                UINT flags) override {
    if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
    if (!menu || first > last) return E_INVALIDARG;
    if (!InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, first, kMenuText))
      return HRESULT_FROM_WIN32(GetLastError());
    return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 1);
  }

  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override {
    if (!info || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
    if (HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 0) {
      if (lstrcmpiA(info->lpVerb, kVerb) != 0) return E_INVALIDARG;
    } else if (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 0) {
      return E_INVALIDARG;
    }
    try {
      return StartQuillow(info->nShow);
    } catch (...) {  // nothing may escape into the shell's process
      return E_OUTOFMEMORY;
    }
  }

  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR out, UINT size) override {
    if (command != 0) return E_INVALIDARG;
    switch (type) {
      case GCS_VALIDATEA:
      case GCS_VALIDATEW: return S_OK;
      case GCS_VERBA: return CopyOut(kVerb, out, size);
      case GCS_VERBW: return CopyOut(kVerbW, out, size);
      case GCS_HELPTEXTA: return CopyOut(kHelpText, out, size);
      case GCS_HELPTEXTW: return CopyOut(kHelpTextW, out, size);
    }
    return E_INVALIDARG;
  }

 private:
  friend class Counted<FindExtension>;
  ~FindExtension() = default;
};

class ClassFactory final : public IClassFactory, public Counted<ClassFactory> {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    const bool ours = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory);
    return HandOut(ours ? static_cast<IClassFactory*>(this) : nullptr, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Hold(); }
  STDMETHODIMP_(ULONG) Release() override { return Drop(); }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateAs<FindExtension>(iid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      ++locks;
    else
      --locks;
    return S_OK;
  }

 private:
  friend class Counted<ClassFactory>;
  ~ClassFactory() = default;
};

}  // namespace

extern "C" STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return CreateAs<ClassFactory>(iid, out);
}

extern "C" STDAPI DllCanUnloadNow() { return objects == 0 && locks == 0 ? S_OK : S_FALSE; }

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  return TRUE;
}
