// HYP (Hyper): a 0x1A marker before every member header, packed data after it. No end
// record: the walk ends at a byte that is not the marker, or at the end of the file.
#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr uint8_t kMarker = 0x1A;

// Header (offsets from its start):
//    0  1  marker 0x1A
//    1  3  not used
//    4  4  compressed size
//    8  4  unpacked size
//   12  2  DOS time
//   14  2  DOS date
//   16  5  not used
//   21  1  name length n
//   22  n  name
// 22+n     packed data
constexpr size_t kFixedPart = 22;
constexpr size_t kPackedAt = 4, kSizeAt = 8, kTimeAt = 12, kDateAt = 14, kNameLengthAt = 21;

}  // namespace

void ReadHyp(ByteSource& src, ReaderContext& ctx) {
  for (;;) {
    unsigned char h[kFixedPart];
    if (!src.ReadU8(h[0]) || h[0] != kMarker) return;
    if (!src.Read(h + 1, kFixedPart - 1)) return;

    const uint8_t n = h[kNameLengthAt];
    static_assert(255 < kMemberNameBuffer);
    char name[kMemberNameBuffer];
    if (!src.Read(name, n)) return;
    const uint32_t packed = base::Le32(h + kPackedAt);
    ctx.Report(StoredName(name, n), base::Le16(h + kDateAt), base::Le16(h + kTimeAt),
               base::Le32(h + kSizeAt), packed);
    if (!src.Skip(packed)) return;
  }
}

}  // namespace quillow::search::formats
