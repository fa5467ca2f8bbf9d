// ACE: a main header of type 0 carrying "**ACE**", then blocks. File blocks (type 1) are
// listed; every other block is stepped over by its header size.
#include <algorithm>
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr char kSignature[7] = {'*', '*', 'A', 'C', 'E', '*', '*'};
constexpr uint8_t kMainHeader = 0;
constexpr uint8_t kFileBlock = 1;

// Bytes of a file block from its start up to and including the name size; the name follows.
constexpr uint64_t kFileBlockFixed = 35;
constexpr size_t kNameMax = kMemberNameBuffer - 1;

}  // namespace

// Main header, offsets from the start of the file:
//   0  2  header CRC          (skipped)
//   2  2  header size h       the main header ends at 4 + h
//   4  1  header type         must be 0
//   5  2  flags               (skipped)
//   7  7  "**ACE**"
//
// Block, offsets from its start:
//   0  2  header CRC          (skipped)
//   2  2  header size h       the block header ends at start + 4 + h
//   4  1  header type         1 = file block; others are stepped over
// File block only:
//   5  2  flags               (skipped)
//   7  4  packed size
//  11  4  unpacked size
//  15  2  DOS time
//  17  2  DOS date
//  19 14  attributes, CRC, technical information, reserved (skipped)
//  33  2  name size n
//  35  n  name
// 4 + h   packed data; the next block starts at start + 4 + h + packed size
void ReadAce(ByteSource& src, ReaderContext& ctx) {
  uint16_t mainSize = 0;
  uint8_t mainType = 0xFF;
  char signature[sizeof kSignature] = {};
  src.Skip(2);
  src.ReadU16(mainSize);
  src.ReadU8(mainType);
  src.Skip(2);
  src.Read(signature, sizeof signature);
  if (!src.Ok() || mainType != kMainHeader ||
      std::memcmp(signature, kSignature, sizeof kSignature) != 0)
    return;
  // A size too small to hold the signature would put the first block inside it.
  const uint64_t firstBlock = 4 + uint64_t{mainSize};
  if (firstBlock < src.Tell()) return;
  src.Seek(firstBlock);

  char name[kMemberNameBuffer];
  while (src.Tell() < src.Length()) {
    const uint64_t start = src.Tell();
    uint16_t headerSize = 0;
    uint8_t type = 0;
    src.Skip(2);
    src.ReadU16(headerSize);
    src.ReadU8(type);
    if (!src.Ok()) return;
    const uint64_t headerEnd = start + 4 + headerSize;

    if (type != kFileBlock) {
      // A size of 0 cannot even hold the type byte just read.
      if (headerEnd < src.Tell()) return;
      src.Seek(headerEnd);
      continue;
    }

    uint32_t packed = 0, size = 0;
    uint16_t time = 0, date = 0, nameSize = 0;
    src.Skip(2);
    src.ReadU32(packed);
    src.ReadU32(size);
    src.ReadU16(time);
    src.ReadU16(date);
    src.Skip(14);
    src.ReadU16(nameSize);
    // A 16-bit name size can exceed the buffer: the first 259 bytes are kept and the rest of
    // the stored name is stepped over, so the row shows the name's beginning.
    const size_t kept = std::min<size_t>(nameSize, kNameMax);
    src.Read(name, kept);
    src.Skip(nameSize - kept);
    if (!src.Ok()) return;
    ctx.Report(StoredName(name, kept), date, time, size, packed);

    // A header size smaller than its own fields would send the walk back over them.
    if (headerEnd < start + kFileBlockFixed + nameSize) return;
    src.Seek(headerEnd + packed);
  }
}

}  // namespace quillow::search::formats
