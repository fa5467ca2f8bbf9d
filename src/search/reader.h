// What a directory reader sees: the archive's bytes and a sink for the members it finds.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "search/byte_source.h"

namespace quillow::search {

// Stored member names are read into a buffer of this size, terminator included.
inline constexpr size_t kMemberNameBuffer = 260;

// A stored name ends at its first zero byte, whatever its length field says: "evil.txt\0.exe"
// is evil.txt to every reader, as it is to the archivers that wrote the zero-terminated name.
inline std::string_view StoredName(const char* bytes, size_t n) {
  const void* zero = std::memchr(bytes, 0, n);
  return {bytes, zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : n};
}
inline std::string_view StoredName(const unsigned char* bytes, size_t n) {
  return StoredName(reinterpret_cast<const char*>(bytes), n);
}

class ReaderContext {
 public:
  ReaderContext(std::string container, uint16_t defaultDate, uint16_t defaultTime)
      : container_(std::move(container)), defaultDate_(defaultDate), defaultTime_(defaultTime) {}
  virtual ~ReaderContext() = default;

  const std::string& container() const { return container_; }
  uint16_t defaultDate() const { return defaultDate_; }
  uint16_t defaultTime() const { return defaultTime_; }

  // One member, in directory order: the name as stored (bytes), its DOS date and time, size
  // and packed size.
  virtual void Report(std::string_view name, uint16_t date, uint16_t time, uint32_t size,
                      uint32_t packed) = 0;
  // A member that carries no time of its own: its row shows "?" as Modified. Contexts that
  // make no rows may take it as a member dated 0.
  virtual void ReportUndated(std::string_view name, uint32_t size, uint32_t packed) {
    Report(name, 0, 0, size, packed);
  }
  // A warnings-log message for this archive (": ..." with its line break).
  virtual void Warn(std::string_view message) = 0;

 private:
  std::string container_;
  uint16_t defaultDate_;
  uint16_t defaultTime_;
};

using ReaderFn = void (*)(ByteSource&, ReaderContext&);

}  // namespace quillow::search
