// SQZ (Squeeze It): "HLSQZ", then blocks that open with a block byte. 0 ends the archive,
// 1 to 18 are other blocks (comments and the like) with a 16-bit size, 19 and above are file
// headers whose block byte also gives the name length.
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr char kSignature[5] = {'H', 'L', 'S', 'Q', 'Z'};
constexpr uint8_t kEndBlock = 0;
constexpr uint8_t kFirstFileBlock = 19;
// The name takes b - 18 bytes: between 1 and 237, always within the member-name buffer.
constexpr uint8_t kNameBias = 18;
static_assert(255 - kNameBias < kMemberNameBuffer);

}  // namespace

// Archive header, offsets from the start of the file:
//   0  5  "HLSQZ"
//   5  3  not used
//   8     first block
//
// Block, offsets from its start:
//   0  1  block byte b
// Other block (b = 1 to 18):
//   1  2  block size z        z bytes follow; the next block starts at start + 3 + z
// File header (b >= 19):
//   1  2  not used
//   3  4  compressed size
//   7  4  unpacked size
//  11  2  DOS time
//  13  2  DOS date
//  15  5  not used
//  20  b - 18  name
// b + 2   compressed data; the next block starts at start + b + 2 + compressed size
//
// The format has no directory and no count: the walk ends on block byte 0, and also when a
// read comes up short or a block would start past the end of the file, so a file cut before
// its end block lists what it holds and stops.
void ReadSqz(ByteSource& src, ReaderContext& ctx) {
  char signature[sizeof kSignature];
  if (!src.Read(signature, sizeof signature) ||
      std::memcmp(signature, kSignature, sizeof kSignature) != 0 || !src.Skip(3))
    return;

  char name[kMemberNameBuffer];
  // Every block moves the position forward by at least 3 bytes, so the walk is bounded by the
  // file length.
  while (src.Tell() < src.Length()) {
    uint8_t b = 0;
    if (!src.ReadU8(b) || b == kEndBlock) return;
    if (b < kFirstFileBlock) {
      uint16_t blockSize = 0;
      if (!src.ReadU16(blockSize) || !src.Skip(blockSize)) return;
      continue;
    }
    uint32_t packed = 0, size = 0;
    uint16_t time = 0, date = 0;
    const size_t nameSize = b - kNameBias;
    src.Skip(2);
    src.ReadU32(packed);
    src.ReadU32(size);
    src.ReadU16(time);
    src.ReadU16(date);
    src.Skip(5);
    src.Read(name, nameSize);
    if (!src.Ok()) return;
    ctx.Report(StoredName(name, nameSize), date, time, size, packed);
    if (!src.Skip(packed)) return;
  }
}

}  // namespace quillow::search::formats
