#include "zip/component/zip_system_win32.h"

#include "platform/fs.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace quillow::zip {

namespace {

class Win32Library final : public LoadedLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}

  void* EntryPoint(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_.get(), name));
  }

 private:
  platform::UniqueModule module_;
};

}  // namespace

Win32ZipSystem::Win32ZipSystem(ZipPrompts prompts) : prompts_(std::move(prompts)) {}

void Win32ZipSystem::ShowMessage(const std::string& text) {
  if (prompts_.showMessage) prompts_.showMessage(text);
}

std::string Win32ZipSystem::InputPassword(const std::string& prompt) {
  return prompts_.askPassword ? prompts_.askPassword(prompt) : std::string();
}

bool Win32ZipSystem::FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(platform::WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32ZipSystem::EnterFolder(const std::string& folder) {
  return platform::SetCurrentFolder(folder);
}

std::unique_ptr<LoadedLibrary> Win32ZipSystem::OpenLibrary(const std::string& path) {
  // A library on a drive without a medium, or one that faults while it starts, fails the
  // load instead of stopping the program with a system box.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  const HMODULE module = LoadLibraryW(platform::Widen(path).c_str());
  SetErrorMode(previous);
  if (!module) return nullptr;
  return std::make_unique<Win32Library>(module);
}

void Win32ZipSystem::BeginBusy() {
  if (busy_++ == 0) before_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void Win32ZipSystem::EndBusy() {
  if (busy_ > 0 && --busy_ == 0) SetCursor(before_ ? before_ : LoadCursorW(nullptr, IDC_ARROW));
}

void Win32ZipSystem::PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The loop that waits for it must still see it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A window asks for its cursor whenever the mouse moves; the hourglass stays meanwhile.
  if (busy_ > 0) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

}  // namespace quillow::zip
