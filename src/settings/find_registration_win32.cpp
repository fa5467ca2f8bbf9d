#include "settings/find_registration_win32.h"

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace quillow::settings {

namespace {

bool WriteValue(HKEY key, const RegistryRow& row) {
  const std::wstring name = platform::Widen(row.value);
  if (row.dword) {
    const DWORD number = row.number;
    return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof(number)) == ERROR_SUCCESS;
  }
  const std::wstring text = platform::Widen(row.text);
  return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

std::string WriteRegistryRows(const std::vector<RegistryRow>& rows, HKEY machineRoot,
                              HKEY userRoot) {
  platform::UniqueRegistryKey key;
  const RegistryRow* open = nullptr;
  for (const RegistryRow& row : rows) {
    // Consecutive rows of one key share it; a new key, or the switch to the other root,
    // closes the one before.
    if (!open || open->root != row.root || open->key != row.key) {
      open = &row;
      const HKEY root = row.root == RegistryRoot::kLocalMachine ? machineRoot : userRoot;
      if (RegCreateKeyExW(root, platform::Widen(row.key).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return RegistryWriteError(row);
    }
    if (!WriteValue(key.get(), row)) return RegistryWriteError(row);
  }
  return {};
}

}  // namespace quillow::settings
