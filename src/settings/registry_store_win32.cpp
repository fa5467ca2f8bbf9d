#include "settings/registry_store_win32.h"

#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace quillow::settings {

namespace {

// One open key, closed when it goes.
class RegistryKey final : public SettingsKey {
 public:
  explicit RegistryKey(platform::UniqueRegistryKey key) : key_(std::move(key)) {}

  bool HasValue(std::string_view name) override {
    return RegQueryValueExW(key_.get(), platform::Widen(name).c_str(), nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
  }

  ValueStatus ReadNumber(std::string_view name, uint32_t& value) override {
    DWORD type = 0, data = 0, size = sizeof(data);
    const LONG r = RegQueryValueExW(key_.get(), platform::Widen(name).c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(&data), &size);
    if (r == ERROR_FILE_NOT_FOUND) return ValueStatus::kMissing;
    // ERROR_MORE_DATA: something longer than a number was stored under this name.
    if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(data))
      return ValueStatus::kWrongType;
    value = data;
    return ValueStatus::kOk;
  }

  ValueStatus ReadText(std::string_view name, std::string& value) override {
    const std::wstring wide = platform::Widen(name);
    for (;;) {
      DWORD type = 0, size = 0;
      LONG r = RegQueryValueExW(key_.get(), wide.c_str(), nullptr, &type, nullptr, &size);
      if (r == ERROR_FILE_NOT_FOUND) return ValueStatus::kMissing;
      if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return ValueStatus::kWrongType;
      // The stored text need not end in a terminator, nor have an even length.
      std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
      DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
      r = RegQueryValueExW(key_.get(), wide.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &got);
      if (r == ERROR_MORE_DATA) continue;  // it grew in between
      if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return ValueStatus::kWrongType;
      const size_t chars = got / sizeof(wchar_t);
      std::wstring_view text(buffer.data(), chars);
      text = text.substr(0, text.find(L'\0'));
      value = platform::Narrow(text);
      return ValueStatus::kOk;
    }
  }

  bool WriteNumber(std::string_view name, uint32_t value) override {
    const DWORD data = value;
    return RegSetValueExW(key_.get(), platform::Widen(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS;
  }

  bool WriteText(std::string_view name, std::string_view value) override {
    const std::wstring text = platform::Widen(value);
    return RegSetValueExW(key_.get(), platform::Widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

 private:
  platform::UniqueRegistryKey key_;
};

}  // namespace

std::unique_ptr<SettingsKey> RegistryStore::OpenKey(std::string_view path) {
  platform::UniqueRegistryKey key;
  if (RegCreateKeyExW(root_, platform::Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return nullptr;
  return std::make_unique<RegistryKey>(std::move(key));
}

}  // namespace quillow::settings
