// Reading a ZIP archive's central directory and finding each member's data, over a file
// whose every length, count and offset is checked before use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/little_endian.h"
#include "base/separators.h"
#include "zip/core/zip_fs.h"

namespace quillow::zip {

enum : uint16_t {
  kFlagEncrypted = 0x0001,
  kFlagDescriptor = 0x0008,  // CRC and sizes follow the data
  kFlagStrongCrypto = 0x0040,
  kFlagUtf8 = 0x0800,
};
enum : uint16_t { kMethodStored = 0, kMethodDeflated = 8, kMethodAes = 99 };

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
  bool badUtf8 = false;       // flagged UTF-8 but is not; `name` is read in code page 437
  std::string central;        // the whole central header, to copy it into a rewritten archive

  bool IsFolder() const { return base::EndsWithSlash(name); }
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

// Where the data of each member a run takes (`taken`) lies, found once: its offset (or why
// it cannot be read), and whether its local header or data shares bytes with another taken
// member's. Members that share bytes are how a small archive claims gigabytes (one deflated
// kernel quoted by every member); no archiver writes them, so each of them is refused. Only
// the members taken are looked at: others write nothing, and opening one member of a large
// archive must not read every header. Descriptors after the data are not counted; folder
// entries, which write no data, take no part.
struct Placement {
  std::optional<uint64_t> data;
  std::string error;
  bool overlaps = false;
};
std::vector<Placement> PlaceMembers(InputFile& file, const Directory& dir,
                                    const std::vector<bool>& taken);

// Which members a caller's file specifications select; none selects every member. Each
// specification is first read through CallerTextToUtf8. One that equals a member's name
// byte for byte (as stored, or as decoded to UTF-8) selects only the members of that name,
// so a name holding '*' or '?' handed back from a listing is never taken as a pattern; any
// other is a pattern (MatchSpec) over the decoded name and over the stored bytes.
class MemberSelection {
 public:
  MemberSelection(const std::vector<std::string>& specs, const std::vector<Member>& members);
  bool Selects(const Member& m);
  // The specifications that have selected nothing so far, in the order given.
  std::vector<std::string> Unmatched() const;

 private:
  struct Spec {
    std::string given, utf8;
    bool exact = false, used = false;
  };
  std::vector<Spec> specs_;
  std::unordered_multimap<std::string, size_t> exact_;  // a name, and the spec equal to it
  std::vector<size_t> patterns_;                        // the other specs
};

}  // namespace quillow::zip
