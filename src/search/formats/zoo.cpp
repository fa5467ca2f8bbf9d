// ZOO: an archive header pointing to the first directory entry, and a chain of directory
// entries, each holding the position of the next. The chain, not the file order, gives the
// members; the entry whose next position is 0 is the last one and is reported too.
#include <cstdint>

#include "search/formats/formats.h"

namespace quillow::search::formats {
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
constexpr size_t kTagAt = 0, kNextAt = 6, kDateAt = 14, kTimeAt = 16, kSizeAt = 20, kPackedAt = 24,
                 kNameAt = 38;
constexpr size_t kShortName = 13;
constexpr uint64_t kEnd = 0;

// Reads the entry at `at` into `e`; false when it is not there or carries no tag.
bool ReadEntry(ByteSource& src, uint64_t at, unsigned char (&e)[kEntrySize]) {
  src.Seek(at);
  return src.Read(e, kEntrySize) && base::Le32(e + kTagAt) == kZooTag;
}

// Position of the entry after the one at `at`: kEnd after the last entry or a broken one.
uint64_t NextOf(ByteSource& src, uint64_t at) {
  unsigned char e[kEntrySize];
  return at != kEnd && ReadEntry(src, at, e) ? base::Le32(e + kNextAt) : kEnd;
}

// How many entries the chain from `first` holds before it comes back to one it has been
// through (Brent's cycle search: no memory per entry, however the chain was damaged).
// Zero when the chain ends without coming back.
uint64_t EntriesBeforeLoop(ByteSource& src, uint64_t first) {
  uint64_t power = 1, length = 1;
  uint64_t tortoise = first, hare = NextOf(src, first);
  while (hare != kEnd && hare != tortoise) {
    if (power == length) {
      tortoise = hare;
      power *= 2;
      length = 0;
    }
    hare = NextOf(src, hare);
    ++length;
  }
  if (hare == kEnd) return 0;
  // The loop is `length` entries long; the entries before it are found by walking two
  // positions that far apart until they meet.
  tortoise = hare = first;
  for (uint64_t i = 0; i < length; ++i) hare = NextOf(src, hare);
  uint64_t lead = 0;
  while (tortoise != hare) {
    tortoise = NextOf(src, tortoise);
    hare = NextOf(src, hare);
    ++lead;
  }
  return lead + length;
}

}  // namespace

void ReadZoo(ByteSource& src, ReaderContext& ctx) {
  unsigned char h[8];
  src.Seek(kTagOffset);
  if (!src.Read(h, sizeof h) || base::Le32(h) != kZooTag) return;
  const uint64_t first = base::Le32(h + 4);
  // The first entry cannot lie inside the archive header that names it.
  if (first < kArchiveHeaderRead) return;

  // The chain is followed by position, wherever it points. While it only moves forward it
  // cannot come back to an entry; once it steps back, its length up to the first entry met
  // again is worked out, so that a loop lists each member once and still ends.
  uint64_t limit = UINT64_MAX;
  bool measured = false;
  uint64_t at = first;
  for (uint64_t listed = 0; at != kEnd && listed < limit; ++listed) {
    unsigned char e[kEntrySize];
    if (!ReadEntry(src, at, e)) return;
    ctx.Report(StoredName(e + kNameAt, kShortName), base::Le16(e + kDateAt),
               base::Le16(e + kTimeAt), base::Le32(e + kSizeAt), base::Le32(e + kPackedAt));
    const uint64_t next = base::Le32(e + kNextAt);
    if (next != kEnd && next <= at && !measured) {
      measured = true;
      const uint64_t total = EntriesBeforeLoop(src, first);
      if (total != 0) limit = total;
    }
    at = next;
  }
}

}  // namespace quillow::search::formats
