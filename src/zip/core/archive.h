// Reading a ZIP archive's central directory and finding each member's data, over a file
// whose every length, count and offset is checked before use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zip/core/zip_fs.h"

namespace quillow::zip {

enum : uint16_t {
  kFlagEncrypted = 0x0001,
  kFlagDescriptor = 0x0008,  // CRC and sizes follow the data
  kFlagStrongCrypto = 0x0040,
  kFlagUtf8 = 0x0800,
};
enum : uint16_t { kMethodStored = 0, kMethodDeflated = 8 };

struct Member {
  std::string rawName;  // bytes as stored
  std::string name;     // UTF-8
  uint16_t flags = 0;
  uint16_t method = 0;
  DosDateTime modified = 0;
  uint32_t crc = 0;
  uint64_t packedSize = 0;
  uint64_t size = 0;
  uint64_t localOffset = 0;   // as stored, before the directory's shift
  bool zip64 = false;         // a size or the offset came from a ZIP64 field
  bool zip64Missing = false;  // a field said "see ZIP64" and none gave the value
  std::string central;        // the whole central header, to copy it into a rewritten archive

  bool IsFolder() const { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }
};

struct Directory {
  std::vector<Member> members;
  // Bytes in front of the archive (a self-extractor stub, say) that the stored offsets do
  // not count: added to every local offset.
  uint64_t shift = 0;
  uint64_t centralStart = 0;  // where the central directory really begins
  std::string comment;        // the archive's comment, kept when it is rewritten
  bool zip64 = false;
};

// The directory, or nullopt with `error` saying why the file is not a readable ZIP archive.
std::optional<Directory> ReadDirectory(InputFile& file, std::string& error);

// Offset of a member's data (after its local header, and its encryption header if any),
// checked so that the packed size fits the file. nullopt with `error` when the local header
// is missing or does not fit.
std::optional<uint64_t> LocateData(InputFile& file, const Directory& dir, const Member& m,
                                   std::string& error);

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t Le64(const uint8_t* p) {
  return Le32(p) | static_cast<uint64_t>(Le32(p + 4)) << 32;
}

}  // namespace quillow::zip
