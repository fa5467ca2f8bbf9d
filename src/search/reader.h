// What a directory reader sees: the archive's bytes and a sink for the members it finds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "search/byte_source.h"

namespace quillow {

// Stored member names are read into a buffer of this size, terminator included.
inline constexpr size_t kMemberNameBuffer = 260;

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
  // A warnings-log message for this archive (": ..." with its line break).
  virtual void Warn(std::string_view message) = 0;

 private:
  std::string container_;
  uint16_t defaultDate_;
  uint16_t defaultTime_;
};

using ReaderFn = void (*)(ByteSource&, ReaderContext&);

}  // namespace quillow
