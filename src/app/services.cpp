#include "app/services.h"

#include "platform/win32/shell.h"
#include "platform/win32/text.h"

namespace quillow::app {

int SystemMessageBoxes::Show(HWND owner, const std::string& text, const std::string& title,
                             UINT type) {
  return MessageBoxW(owner, platform::Widen(text).c_str(), platform::Widen(title).c_str(), type);
}

INT_PTR SystemShell::Open(HWND owner, const std::string& path, int showCommand) {
  return platform::ShellOpen(owner, path, showCommand);
}

}  // namespace quillow::app
