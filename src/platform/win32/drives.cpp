#include "platform/win32/drives.h"

#include <windows.h>

namespace quillow::platform {

DriveTypeTable ReadDriveTypes() {
  DriveTypeTable types{};
  wchar_t root[] = L"A:\\";
  for (int i = 0; i < 26; ++i) {
    root[0] = static_cast<wchar_t>(L'A' + i);
    types[static_cast<size_t>(i)] = GetDriveTypeW(root);
  }
  return types;
}

}  // namespace quillow::platform
