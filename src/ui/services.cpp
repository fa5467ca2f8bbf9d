#include "ui/services.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/win32/shell.h"
#include "platform/win32/text.h"

namespace quillow::ui {

int SystemMessageBoxes::Show(HWND owner, const std::string& text, const std::string& title,
                             UINT type) {
  return MessageBoxW(owner, platform::Widen(text).c_str(), platform::Widen(title).c_str(), type);
}

INT_PTR SystemShell::Open(HWND owner, const std::string& path, int showCommand) {
  return platform::ShellOpen(owner, path, showCommand);
}

bool SystemFileDialogs::Save(HWND owner, SaveFileDialog& dialog) {
  // The filter's separators become the terminators the dialog wants, with one more at the end.
  std::wstring filter = platform::Widen(dialog.filter);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.append(2, L'\0');
  const std::wstring title = platform::Widen(dialog.title);
  const std::wstring folder = platform::Widen(dialog.initialFolder);
  // Room for the longest path the wide functions take.
  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring last = platform::Widen(dialog.fileName);
  last.copy(name.data(), std::min(last.size(), name.size() - 1));

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(dialog.filterIndex);
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = dialog.options | OFN_EXPLORER;
  if (!GetSaveFileNameW(&ofn)) return false;
  dialog.fileName = platform::Narrow(name.data());
  dialog.filterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}

}  // namespace quillow::ui
