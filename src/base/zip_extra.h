// The extra field of a ZIP header, read the same way by the search's directory reader and
// by the zip library: a run of records, each a 2-byte tag, a 2-byte length and its data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace quillow::base {

inline constexpr uint16_t kZip64ExtraTag = 0x0001;
// A 32-bit size or offset standing at this value has its real value in the ZIP64 record.
inline constexpr uint32_t kZip64Marker = 0xFFFFFFFF;

// The data of the first record with `tag`; null when there is none. The walk stops at the
// first record that runs past the end of the field.
const unsigned char* FindExtraRecord(const unsigned char* extra, size_t length, uint16_t tag,
                                     size_t& dataLength);

struct Zip64Outcome {
  int applied = 0;  // fields given their 64-bit value
  int missing = 0;  // fields at the marker that the record (or its absence) left so
};

// Gives each of `fields` that stands at kZip64Marker its value from the ZIP64 record, which
// holds them in this order (uncompressed size, compressed size, header offset, as the
// header lists them) and only those at the marker.
Zip64Outcome ApplyZip64(const unsigned char* extra, size_t length,
                        std::initializer_list<uint64_t*> fields);

}  // namespace quillow::base
