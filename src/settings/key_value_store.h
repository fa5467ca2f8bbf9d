// The small key/value interface the settings store works over: keys opened by path (created
// when missing), numbers and texts read and written by name. The Windows registry is one
// implementation; the tests use one kept in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quillow::settings {

enum class ValueStatus { kOk, kMissing, kWrongType };

// One open key; closed when it goes.
class SettingsKey {
 public:
  virtual ~SettingsKey() = default;
  // A value of this name exists, whatever its type.
  virtual bool HasValue(std::string_view name) = 0;
  virtual ValueStatus ReadNumber(std::string_view name, uint32_t& value) = 0;
  virtual ValueStatus ReadText(std::string_view name, std::string& value) = 0;
  virtual bool WriteNumber(std::string_view name, uint32_t value) = 0;
  virtual bool WriteText(std::string_view name, std::string_view value) = 0;
};

class KeyValueStore {
 public:
  virtual ~KeyValueStore() = default;
  // Opens the key at `path` (parts separated by backslashes), creating it when it is
  // missing. Null when it can be neither opened nor made.
  virtual std::unique_ptr<SettingsKey> OpenKey(std::string_view path) = 0;
};

}  // namespace quillow::settings
