#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"
#include "settings/prog_link.h"

namespace quillow::settings {

namespace {

// The calling thread's COM apartment for the length of one call; a thread that has one
// already keeps it.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

std::string RegistryProgramsFolder() {
  DWORD bytes = 0;
  constexpr wchar_t kShellFolders[] =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Programs", RRF_RT_REG_SZ, nullptr, nullptr,
                   &bytes) != ERROR_SUCCESS ||
      bytes < 2 * sizeof(wchar_t))
    return {};
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Programs", RRF_RT_REG_SZ, nullptr,
                   value.data(), &bytes) != ERROR_SUCCESS)
    return {};
  value.resize(wcsnlen(value.c_str(), value.size()));
  return platform::Narrow(value);
}

// Creates every missing folder of `folder` (a path with backslashes), outermost first.
void CreateFolders(const std::string& folder) {
  for (size_t at = folder.find('\\', 3);; at = folder.find('\\', at + 1)) {
    const std::string part = folder.substr(0, at);
    if (!part.empty() && part.back() != ':')
      CreateDirectoryW(platform::WidePath(part).c_str(), nullptr);
    if (at == std::string::npos) break;
  }
}

}  // namespace

std::string StartMenuProgramsFolder() {
  std::string folder = RegistryProgramsFolder();
  if (folder.empty()) {
    // Without the value the link would land at the root of the current drive.
    PWSTR known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &known)))
      folder = platform::Narrow(known);
    CoTaskMemFree(known);
  }
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

bool TProgLink::MakeLink() {
  const std::string base = ProgramsFolder ? ProgramsFolder() : StartMenuProgramsFolder();
  linkPath_ = base + "\\" + LinkName;
  if (base.empty()) return false;
  const size_t cut = linkPath_.find_last_of("\\:");
  CreateFolders(linkPath_.substr(0, cut));
  const std::string working = SourceName.substr(0, SourceName.rfind('\\') + 1);

  ComScope com;
  platform::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.put_void())))
    return false;
  platform::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
  link->SetPath(platform::Widen(SourceName).c_str());
  link->SetDescription(platform::Widen(kLinkDescription).c_str());
  link->SetWorkingDirectory(platform::Widen(working).c_str());
  link->SetShowCmd(SW_SHOWMAXIMIZED);
  return SUCCEEDED(file->Save(platform::Widen(linkPath_).c_str(), TRUE));
}

}  // namespace quillow::settings
