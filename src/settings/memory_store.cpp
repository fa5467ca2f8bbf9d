#include "settings/memory_store.h"

#include "base/ascii.h"

namespace quillow::settings {

namespace {

// Registry names are compared without regard to ASCII letter case.
std::string Fold(std::string_view s) {
  std::string folded(s);
  base::FoldAscii(folded);
  return folded;
}

}  // namespace

class MemoryKey final : public SettingsKey {
 public:
  MemoryKey(MemoryStore& store, std::string path)
      : store_(store), path_(std::move(path)), values_(store.keys_[Fold(path_)]) {}

  bool HasValue(std::string_view name) override {
    store_.log.push_back("has " + std::string(name));
    return values_.count(Fold(name)) != 0;
  }
  ValueStatus ReadNumber(std::string_view name, uint32_t& value) override {
    const StoredValue* v = Read(name);
    if (!v) return ValueStatus::kMissing;
    if (v->type != StoredValue::Type::kNumber) return ValueStatus::kWrongType;
    value = v->number;
    return ValueStatus::kOk;
  }
  ValueStatus ReadText(std::string_view name, std::string& value) override {
    const StoredValue* v = Read(name);
    if (!v) return ValueStatus::kMissing;
    if (v->type != StoredValue::Type::kText) return ValueStatus::kWrongType;
    value = v->text;
    return ValueStatus::kOk;
  }
  bool WriteNumber(std::string_view name, uint32_t value) override {
    Write(name, {StoredValue::Type::kNumber, value, {}});
    return true;
  }
  bool WriteText(std::string_view name, std::string_view value) override {
    Write(name, {StoredValue::Type::kText, 0, std::string(value)});
    return true;
  }

 private:
  const StoredValue* Read(std::string_view name) {
    store_.log.push_back("read " + std::string(name));
    auto it = values_.find(Fold(name));
    return it == values_.end() ? nullptr : &it->second;
  }
  void Write(std::string_view name, StoredValue value) {
    store_.log.push_back("write " + std::string(name));
    store_.writes_.emplace_back(path_, std::string(name));
    values_[Fold(name)] = std::move(value);
  }

  MemoryStore& store_;
  std::string path_;
  MemoryStore::Values& values_;  // std::map nodes stay where they are
};

std::unique_ptr<SettingsKey> MemoryStore::OpenKey(std::string_view path) {
  log.push_back("open " + std::string(path));
  return std::make_unique<MemoryKey>(*this, std::string(path));
}

void MemoryStore::Set(std::string_view path, std::string_view name, StoredValue value) {
  keys_[Fold(path)][Fold(name)] = std::move(value);
}

void MemoryStore::SetNumber(std::string_view path, std::string_view name, uint32_t value) {
  Set(path, name, {StoredValue::Type::kNumber, value, {}});
}

void MemoryStore::SetText(std::string_view path, std::string_view name, std::string_view value) {
  Set(path, name, {StoredValue::Type::kText, 0, std::string(value)});
}

void MemoryStore::Remove(std::string_view path, std::string_view name) {
  auto key = keys_.find(Fold(path));
  if (key != keys_.end()) key->second.erase(Fold(name));
}

const StoredValue* MemoryStore::Find(std::string_view path, std::string_view name) const {
  auto key = keys_.find(Fold(path));
  if (key == keys_.end()) return nullptr;
  auto it = key->second.find(Fold(name));
  return it == key->second.end() ? nullptr : &it->second;
}

bool MemoryStore::HasKey(std::string_view path) const { return keys_.count(Fold(path)) != 0; }

std::vector<std::string> MemoryStore::Written(std::string_view path) const {
  std::vector<std::string> names;
  const std::string folded = Fold(path);
  for (const auto& [key, name] : writes_)
    if (Fold(key) == folded) names.push_back(name);
  return names;
}

}  // namespace quillow::settings
