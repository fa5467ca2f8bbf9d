// A bounded, buffered reader over one archive file. Readers make many small reads of header
// fields; the buffer turns them into one system call per block. Every read either delivers
// all the bytes asked for or fails; the position may lie past the end, where reads fail.
// A failure is sticky: Ok() stays false, so a run of reads can be checked once at its end
// (the values a failed read leaves are whatever the caller initialised them to).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/little_endian.h"
#include "platform/fs.h"

namespace quillow::search {

class ByteSource {
 public:
  // Reads through `file`, which must outlive the source.
  explicit ByteSource(platform::ReadFile& file);
  // Reads from memory (tests and fuzzing); the bytes must outlive the source.
  explicit ByteSource(std::string_view bytes);
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;

  uint64_t Length() const { return length_; }
  uint64_t Tell() const { return pos_; }
  uint64_t Remaining() const { return pos_ < length_ ? length_ - pos_ : 0; }
  // False once any Read or Skip has failed.
  bool Ok() const { return ok_; }

  // Exactly n bytes or false. On failure the position is left at the end of the file.
  bool Read(void* dst, size_t n);
  // Up to n bytes; returns how many were read. For fields whose tail may run into the end.
  size_t ReadUpTo(void* dst, size_t n);
  // Moves forward by n bytes; false when that lands past the end of the file.
  bool Skip(uint64_t n);
  void Seek(uint64_t offset) { pos_ = offset; }

  bool ReadU8(uint8_t& v) { return Read(&v, 1); }
  bool ReadU16(uint16_t& v) {
    uint8_t b[2];
    if (!Read(b, 2)) return false;
    v = base::Le16(b);
    return true;
  }
  bool ReadU32(uint32_t& v) {
    uint8_t b[4];
    if (!Read(b, 4)) return false;
    v = base::Le32(b);
    return true;
  }

 private:
  static constexpr size_t kBlock = 16 * 1024;
  bool Fill(uint64_t at);

  platform::ReadFile* file_ = nullptr;
  uint64_t length_ = 0;
  uint64_t pos_ = 0;
  bool ok_ = true;
  // Buffered window [bufStart_, bufStart_ + bufLen_) of the file.
  uint64_t bufStart_ = 0;
  size_t bufLen_ = 0;
  const char* mem_ = nullptr;  // memory-backed: the whole file, no copy
  std::unique_ptr<char[]> buf_;
};

}  // namespace quillow::search
