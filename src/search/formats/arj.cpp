// ARJ: a main header, then one local header per member with the packed data right after it.
// A local header whose basic size is 0 marks the end of the archive.
#include "platform/fs.h"
#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr uint16_t kArjHeaderId = 0xEA60;
// Host OS 2 (UNIX) keeps a Unix time in the date/time field; ARJ for Linux writes it unless
// run with -2d, so reading that field as DOS words would show a date decades off.
constexpr uint8_t kHostUnix = 2;
// The name is read as one block of this size; it ends at its first zero byte.
constexpr size_t kNameField = 255;
static_assert(kNameField < kMemberNameBuffer);
// Fixed fields from the first-header-size byte up to the end of the unpacked size.
constexpr uint8_t kFixedPart = 20;
// Offsets in a local header, as in the table below.
constexpr size_t kIdAt = 0, kBasicSizeAt = 2, kFirstSizeAt = 4, kHostOsAt = 7, kTimeAt = 12,
                 kDateAt = 14, kPackedAt = 16, kSizeAt = 20, kReadFirst = 24;

// After each basic header comes its CRC and then a chain of extended headers: a size, that
// many bytes and their own CRC, until a size of 0. False when the chain runs off the file.
bool SkipExtendedHeaders(ByteSource& src) {
  for (;;) {
    uint16_t size;
    if (!src.ReadU16(size)) return false;
    if (size == 0) return true;
    if (!src.Skip(uint64_t{size} + 4)) return false;
  }
}

// Main header (offsets from the start of the file):
//    0  2  header id 0xEA60
//    2  2  basic header size s; 0 means no archive
//    4  s  basic header (archive name and comment: not needed)
//  4+s  4  header CRC
//  8+s     extended headers, each with its CRC, ended by a size of 0
// Leaves the position on the first local header.
bool SkipMainHeader(ByteSource& src) {
  uint16_t id, size;
  if (!src.ReadU16(id) || id != kArjHeaderId) return false;
  if (!src.ReadU16(size) || size == 0) return false;
  if (!src.Skip(uint64_t{size} + 4)) return false;
  return SkipExtendedHeaders(src);
}

}  // namespace

// Local header (offsets from its start):
//    0  2  header id 0xEA60
//    2  2  basic header size s; 0 ends the archive
//    4  1  first header size f (from this byte to the name)
//    5  1  archiver version     6  1  minimum version to extract
//    7  1  host OS              8  1  flags
//    9  1  method              10  1  file type        11  1  reserved
//   12  2  DOS time            14  2  DOS date  (host UNIX: together one Unix time)
//   16  4  compressed size     20  4  unpacked size
//   24     rest of the fixed part, up to 4 + f
//  4+f     name, zero-terminated, then the comment
//  4+s  4  header CRC
//  8+s     extended headers, each with its CRC, ended by a size of 0
//          then the compressed data
void ReadArj(ByteSource& src, ReaderContext& ctx) {
  if (!SkipMainHeader(src)) return;

  while (src.Tell() < src.Length()) {
    const uint64_t start = src.Tell();
    unsigned char h[kReadFirst];
    if (!src.Read(h, kFirstSizeAt)) return;
    if (base::Le16(h + kIdAt) != kArjHeaderId) return;
    const uint16_t basicSize = base::Le16(h + kBasicSizeAt);
    if (basicSize == 0) return;
    if (!src.Read(h + kFirstSizeAt, sizeof h - kFirstSizeAt)) return;
    const uint8_t firstSize = h[kFirstSizeAt];
    // A fixed part shorter than the fields above would put the name inside them.
    if (firstSize < kFixedPart) return;
    const uint8_t hostOs = h[kHostOsAt];
    uint16_t time = base::Le16(h + kTimeAt);
    uint16_t date = base::Le16(h + kDateAt);
    const uint32_t packed = base::Le32(h + kPackedAt);
    const uint32_t size = base::Le32(h + kSizeAt);
    if (!src.Skip(firstSize - kFixedPart)) return;

    // Near the end of a small archive the fixed-size read comes up short; the name still
    // counts as long as its terminator was among the bytes read.
    char name[kMemberNameBuffer];
    const size_t got = src.ReadUpTo(name, kNameField);
    const std::string_view stored = StoredName(name, got);
    // Without its zero among the bytes read, a name is whole only when all 255 came (a longer
    // one is cut to them); a shorter read means the file ended inside it.
    if (stored.size() == got && got < kNameField) return;

    if (hostOs == kHostUnix) platform::UnixTimeToDos(base::Le32(h + kTimeAt), date, time);
    ctx.Report(stored, date, time, size, packed);

    src.Seek(start + 8 + basicSize);
    if (!SkipExtendedHeaders(src)) return;
    if (!src.Skip(packed)) return;
  }
}

}  // namespace quillow::search::formats
