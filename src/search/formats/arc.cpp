// ARC (SEA), also read for PAK files, which share its header: a 0x1A marker before every
// member header, packed data after it, and a header with method 0 at the end.
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::formats {
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
constexpr size_t kNameField = 13;

}  // namespace

void ReadArc(ByteSource& src, ReaderContext& ctx) {
  while (src.Tell() < src.Length()) {
    unsigned char h[kHeaderSize];
    if (!src.Read(h, 2) || h[0] != kMarker || h[1] == kEndOfArchive) return;
    if (!src.Read(h + 2, kHeaderSize - 2)) return;

    const void* zero = std::memchr(h + 2, 0, kNameField);
    const size_t length =
        zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - (h + 2)) : kNameField;
    const uint32_t packed = Le32(h + 15);
    ctx.Report(std::string_view(reinterpret_cast<const char*>(h + 2), length), Le16(h + 19),
               Le16(h + 21), Le32(h + 25), packed);
    if (!src.Skip(packed)) return;
  }
}

}  // namespace quillow::formats
