#include "platform/win32/shell.h"

#include <shellapi.h>

#include "platform/win32/text.h"

namespace quillow::platform {

INT_PTR ShellOpen(HWND owner, const std::string& path, int showCommand) {
  const std::wstring wide = Widen(path);
  return reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, L"open", wide.c_str(), nullptr, nullptr, showCommand));
}

}  // namespace quillow::platform
