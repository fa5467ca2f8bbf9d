// ZOO: an archive header pointing to the first directory entry, and a chain of directory
// entries, each holding the position of the next. The chain, not the file order, gives the
// members; the entry whose next position is 0 is the last one and is reported too.
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::formats {
namespace {

constexpr uint32_t kZooTag = 0xFDC4A7DC;

// Archive header:
//    0  20  archive text ("ZOO 2.10 Archive.")
//   20   4  tag 0xFDC4A7DC
//   24   4  position of the first directory entry; 0 means no members
constexpr uint64_t kTagOffset = 20;
constexpr uint64_t kArchiveHeaderRead = 28;

// Directory entry (offsets from its start):
//    0   4  tag 0xFDC4A7DC
//    4   2  entry type, packing method
//    6   4  position of the next directory entry; 0 marks the last
//   10   4  position of the packed data
//   14   2  DOS date
//   16   2  DOS time
//   18   2  CRC-16
//   20   4  unpacked size
//   24   4  compressed size
//   28  10  version, deletion flag, structure and comment fields
//   38  13  short name, zero-terminated
constexpr size_t kEntrySize = 51;
constexpr size_t kShortName = 13;

}  // namespace

void ReadZoo(ByteSource& src, ReaderContext& ctx) {
  unsigned char h[8];
  src.Seek(kTagOffset);
  if (!src.Read(h, sizeof h) || Le32(h) != kZooTag) return;
  uint64_t next = Le32(h + 4);
  // The first entry cannot lie inside the archive header that names it.
  if (next < kArchiveHeaderRead) return;

  for (;;) {
    const uint64_t at = next;
    src.Seek(at);
    unsigned char e[kEntrySize];
    if (!src.Read(e, sizeof e) || Le32(e) != kZooTag) return;
    next = Le32(e + 6);

    char name[kShortName + 1];
    std::memcpy(name, e + 38, kShortName);
    name[kShortName] = '\0';
    ctx.Report(std::string_view(name, std::strlen(name)), Le16(e + 14), Le16(e + 16), Le32(e + 20),
               Le32(e + 24));

    // A next position that does not lie past this entry would revisit the chain or loop on
    // it for ever; that is a damaged chain, and it ends here.
    if (next == 0 || next < at + kEntrySize) return;
  }
}

}  // namespace quillow::formats
