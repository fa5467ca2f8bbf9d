#include "base/zip_extra.h"

#include "base/little_endian.h"

namespace quillow::base {

const unsigned char* FindExtraRecord(const unsigned char* extra, size_t length, uint16_t tag,
                                     size_t& dataLength) {
  for (size_t at = 0; at + 4 <= length;) {
    const uint16_t t = Le16(extra + at), n = Le16(extra + at + 2);
    if (n > length - at - 4) break;
    if (t == tag) {
      dataLength = n;
      return extra + at + 4;
    }
    at += 4 + size_t{n};
  }
  return nullptr;
}

Zip64Outcome ApplyZip64(const unsigned char* extra, size_t length,
                        std::initializer_list<uint64_t*> fields) {
  Zip64Outcome out;
  size_t left = 0;
  const unsigned char* p = FindExtraRecord(extra, length, kZip64ExtraTag, left);
  for (uint64_t* field : fields) {
    if (*field != kZip64Marker) continue;
    if (p && left >= 8) {
      *field = Le64(p);
      p += 8;
      left -= 8;
      ++out.applied;
    } else {
      ++out.missing;
    }
  }
  return out;
}

}  // namespace quillow::base
