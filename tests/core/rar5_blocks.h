// RAR 5 blocks built by hand from the block layout, for what no sample archive holds.
#pragma once

#include <string>

#include "reader_test_util.h"

namespace quillow::test {

inline uint32_t Rar5Crc(const std::string& s) {
  uint32_t c = 0xFFFFFFFF;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}
inline std::string Rar5Vint(uint64_t v) {
  std::string s;
  do {
    s += static_cast<char>((v & 0x7F) | (v > 0x7F ? 0x80 : 0));
    v >>= 7;
  } while (v);
  return s;
}
inline std::string Rar5Block(uint64_t type, const std::string& fields, const std::string& data = "",
                             const std::string& extra = "") {
  std::string body = Rar5Vint(type) + Rar5Vint((extra.empty() ? 0 : 1) | (data.empty() ? 0 : 2));
  if (!extra.empty()) body += Rar5Vint(extra.size());
  if (!data.empty()) body += Rar5Vint(data.size());
  std::string header = Rar5Vint(body.size() + fields.size() + extra.size()) + body + fields + extra;
  std::string out;
  Put32(out, Rar5Crc(header));
  return out + header + data;
}
// File header fields: flags 2 carries the Unix time, no time otherwise.
inline std::string Rar5File(const std::string& name, uint64_t size, bool timed = true) {
  std::string f = Rar5Vint(timed ? 2 : 0) + Rar5Vint(size) + Rar5Vint(0x20);
  if (timed) Put32(f, 1596138496);
  return f + Rar5Vint(0) + Rar5Vint(0) + Rar5Vint(name.size()) + name;
}
inline const std::string kRar5Sig("Rar!\x1A\x07\x01\x00", 8);
inline const std::string kRar5Main = Rar5Block(1, Rar5Vint(0));

}  // namespace quillow::test
