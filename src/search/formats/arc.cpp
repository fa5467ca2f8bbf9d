// ARC (SEA), also read for PAK files, which share its header: a 0x1A marker before every
// member header, packed data after it, and a header with method 0 at the end.
#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr uint8_t kMarker = 0x1A;
constexpr uint8_t kEndOfArchive = 0;

// Header (offsets from its start), read with this layout whatever the method:
//    0   1  marker 0x1A
//    1   1  method; 0 ends the archive
//    2  13  name, zero-padded
//   15   4  compressed size
//   19   2  DOS date
//   21   2  DOS time
//   23   2  CRC-16
//   25   4  unpacked size
//   29      packed data
constexpr size_t kHeaderSize = 29;
constexpr size_t kMarkerAt = 0, kMethodAt = 1, kNameAt = 2, kPackedAt = 15, kDateAt = 19,
                 kTimeAt = 21, kSizeAt = 25;
constexpr size_t kNameField = 13;

}  // namespace

void ReadArc(ByteSource& src, ReaderContext& ctx) {
  while (src.Tell() < src.Length()) {
    unsigned char h[kHeaderSize];
    if (!src.Read(h, kNameAt) || h[kMarkerAt] != kMarker || h[kMethodAt] == kEndOfArchive) return;
    if (!src.Read(h + kNameAt, kHeaderSize - kNameAt)) return;

    const uint32_t packed = base::Le32(h + kPackedAt);
    ctx.Report(StoredName(h + kNameAt, kNameField), base::Le16(h + kDateAt),
               base::Le16(h + kTimeAt), base::Le32(h + kSizeAt), packed);
    if (!src.Skip(packed)) return;
  }
}

}  // namespace quillow::search::formats
