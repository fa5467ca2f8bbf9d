// A key/value store kept in memory. It logs every open, read and write in the order they
// happen, so the order of the stored values can be checked, and it can hold values of any
// type, so a hand-edited registry can be imitated.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "settings/key_value_store.h"

namespace quillow::settings {

struct StoredValue {
  enum class Type { kNumber, kText, kBinary };
  Type type = Type::kNumber;
  uint32_t number = 0;
  std::string text;  // text, or the bytes of a binary value
};

class MemoryStore final : public KeyValueStore {
 public:
  std::unique_ptr<SettingsKey> OpenKey(std::string_view path) override;

  // Key and value names compare without regard to ASCII letter case, as in the registry.
  void Set(std::string_view path, std::string_view name, StoredValue value);
  void SetNumber(std::string_view path, std::string_view name, uint32_t value);
  void SetText(std::string_view path, std::string_view name, std::string_view value);
  void Remove(std::string_view path, std::string_view name);
  const StoredValue* Find(std::string_view path, std::string_view name) const;
  bool HasKey(std::string_view path) const;

  // "open PATH", "has NAME", "read NAME", "write NAME", in order.
  std::vector<std::string> log;
  // Names written, in order, per key path as opened.
  std::vector<std::string> Written(std::string_view path) const;

 private:
  friend class MemoryKey;
  using Values = std::map<std::string, StoredValue>;
  std::map<std::string, Values> keys_;
  std::vector<std::pair<std::string, std::string>> writes_;  // key path, value name
};

}  // namespace quillow::settings
