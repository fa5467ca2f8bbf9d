#include "settings/find_registration_win32.h"

#include "platform/win32/text.h"

namespace quillow::settings {

namespace {

class Key {
 public:
  Key() = default;
  ~Key() { Close(); }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Create(HKEY root, const std::string& path) {
    Close();
    return RegCreateKeyExW(root, platform::Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_SET_VALUE, nullptr, &key_, nullptr) == ERROR_SUCCESS;
  }
  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

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
  Key key;
  const RegistryRow* open = nullptr;
  for (const RegistryRow& row : rows) {
    // Consecutive rows of one key share it; a new key, or the switch to the other root,
    // closes the one before.
    if (!open || open->root != row.root || open->key != row.key) {
      open = &row;
      const HKEY root = row.root == RegistryRoot::kLocalMachine ? machineRoot : userRoot;
      if (!key.Create(root, row.key)) return RegistryWriteError(row);
    }
    if (!WriteValue(key.get(), row)) return RegistryWriteError(row);
  }
  return {};
}

}  // namespace quillow::settings
