// Stands in for Quillow.exe when the Find extension's command is invoked: notes the folder
// it was started in, in "started.txt" of that folder, and ends.
#include <windows.h>

int wmain() {
  wchar_t folder[MAX_PATH];
  const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
  HANDLE file = CreateFileW(L"started.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, folder, length * sizeof(wchar_t), &written, nullptr);
  CloseHandle(file);
  return 0;
}
