// The settings store in the Windows registry, through the wide functions.
#pragma once

#include <windows.h>

#include "settings/key_value_store.h"

namespace quillow::settings {

class RegistryStore final : public KeyValueStore {
 public:
  // Key paths are taken below `root`, which stays the caller's (the tests give a key of
  // their own instead of the current user's hive).
  explicit RegistryStore(HKEY root = HKEY_CURRENT_USER) : root_(root) {}
  std::unique_ptr<SettingsKey> OpenKey(std::string_view path) override;

 private:
  HKEY root_;
};

}  // namespace quillow::settings
