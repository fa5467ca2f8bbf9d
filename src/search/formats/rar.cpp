// RAR 1.5 to 4.x: a marker, the archive header, then blocks. Only the run of file blocks that
// follows the archive header is listed; the first block of any other kind ends the walk.
// RAR 5 archives, whose marker differs in its seventh byte, go to their own reader.
#include <algorithm>
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr unsigned char kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr unsigned char kRar5Marker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01};
constexpr uint8_t kFileBlock = 0x74;

// Fixed part of a file block, up to and including the attributes; the name follows it.
constexpr uint64_t kFileBlockFixed = 32;
// Name bytes that fit the member-name buffer beside its terminator.
constexpr size_t kNameMax = kMemberNameBuffer - 1;

}  // namespace

// Marker and archive header, offsets from the start of the file:
//   0  7  marker 52 61 72 21 1A 07 00
//   7  2  header CRC          (skipped)
//   9  1  header type         (not tested)
//  10  2  flags               (skipped)
//  12  2  header size h       the archive header ends at 7 + h
//
// File block, offsets from its start:
//   0  2  header CRC          (skipped)
//   2  1  header type         0x74; anything else ends the walk
//   3  2  flags               (skipped)
//   5  2  header size h       the header ends at start + h
//   7  4  packed size
//  11  4  unpacked size
//  15  5  host system, file CRC (skipped)
//  20  2  DOS time
//  22  2  DOS date
//  24  2  version, method    (skipped)
//  26  2  name size n
//  28  4  attributes          (skipped)
//  32  n  name
//   h     packed data; the next block starts at start + h + packed size
void ReadRar(ByteSource& src, ReaderContext& ctx) {
  unsigned char marker[sizeof kMarker];
  if (!src.Read(marker, sizeof marker)) return;
  // RAR 5 differs in the seventh byte; its blocks are another format altogether.
  if (std::memcmp(marker, kRar5Marker, sizeof kRar5Marker) == 0) {
    src.Seek(0);
    ReadRar5(src, ctx);
    return;
  }
  if (std::memcmp(marker, kMarker, sizeof kMarker) != 0) return;

  uint16_t archiveHeaderSize = 0;
  src.Skip(5);
  src.ReadU16(archiveHeaderSize);
  if (!src.Ok()) return;
  // A size below 7 would put the first block inside the fields just read.
  const uint64_t firstBlock = 7 + uint64_t{archiveHeaderSize};
  if (firstBlock < src.Tell()) return;
  src.Seek(firstBlock);

  char name[kMemberNameBuffer];
  while (src.Tell() < src.Length()) {
    const uint64_t start = src.Tell();
    uint8_t type = 0;
    uint16_t headerSize = 0, time = 0, date = 0, nameSize = 0;
    uint32_t packed = 0, size = 0;
    src.Skip(2);
    src.ReadU8(type);
    if (!src.Ok() || type != kFileBlock) return;
    src.Skip(2);
    src.ReadU16(headerSize);
    src.ReadU32(packed);
    src.ReadU32(size);
    src.Skip(5);
    src.ReadU16(time);
    src.ReadU16(date);
    src.Skip(2);
    src.ReadU16(nameSize);
    src.Skip(4);
    // A 16-bit name size can exceed the buffer: the first 259 bytes are kept and the rest of
    // the stored name is stepped over, so the row shows the name's beginning.
    const size_t kept = std::min<size_t>(nameSize, kNameMax);
    src.Read(name, kept);
    src.Skip(nameSize - kept);
    if (!src.Ok()) return;
    // Unicode names carry a zero byte between the 8-bit name and its encoded form.
    ctx.Report(StoredName(name, kept), date, time, size, packed);

    // A header size smaller than its own fields would send the walk back over them.
    const uint64_t next = start + headerSize + packed;
    if (next < start + kFileBlockFixed + nameSize) return;
    src.Seek(next);
  }
}

}  // namespace quillow::search::formats
