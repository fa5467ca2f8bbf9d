// Little-endian fields, the byte order of every archive and record format the program reads
// or writes.
#pragma once

#include <cstdint>
#include <string>

namespace quillow::base {

// Fields within bytes already read and checked to be long enough.
constexpr uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
constexpr uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
constexpr uint64_t Le64(const unsigned char* p) { return Le32(p) | uint64_t{Le32(p + 4)} << 32; }

// A field written over bytes already there.
inline void SetLe32(void* at, uint32_t v) {
  auto* p = static_cast<unsigned char*>(at);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// A field appended to a record being built.
inline void PutLe16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& s, uint32_t v) {
  PutLe16(s, v & 0xFFFF);
  PutLe16(s, v >> 16);
}

}  // namespace quillow::base
