// The fuzz input as a file: the byte source then takes its buffered block-read path, as a
// search over a real archive does, rather than the whole-buffer path.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/fs.h"

namespace quillow::fuzz {

class MemoryFile final : public platform::ReadFile {
 public:
  explicit MemoryFile(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Length() const override { return bytes_.size(); }
  size_t ReadAt(uint64_t offset, void* dst, size_t n) override {
    if (offset >= bytes_.size()) return 0;
    const size_t take = std::min<size_t>(n, bytes_.size() - offset);
    std::memcpy(dst, bytes_.data() + offset, take);
    return take;
  }

 private:
  std::string_view bytes_;
};

}  // namespace quillow::fuzz
