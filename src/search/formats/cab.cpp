// Microsoft cabinet: the header gives the position of the file entries and their count; the
// entries are read one after another from there. Folder records, reserved areas and data
// blocks are never looked at. Cabinets keep no packed size per file, so 0 is reported.
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr char kSignature[4] = {'M', 'S', 'C', 'F'};
// The format's longest name: 255 bytes before the zero byte.
constexpr size_t kNameField = 255;
static_assert(kNameField < kMemberNameBuffer);

// Steps past the zero byte that ends an over-long name. False when the file ends first.
bool SkipRestOfName(ByteSource& src) {
  uint8_t c = 1;
  while (c != 0)
    if (!src.ReadU8(c)) return false;
  return true;
}

}  // namespace

// Header, offsets from the start of the file:
//   0  4  "MSCF"
//   4 12  reserved, cabinet size, reserved (skipped)
//  16  4  position of the first file entry
//  20  8  reserved, version, folder count (skipped)
//  28  2  number of file entries c
//
// File entry, offsets from its start:
//   0  4  file size
//   4  6  offset in its folder, folder index (skipped)
//  10  2  DOS date
//  12  2  DOS time
//  14  2  attributes          (skipped)
//  16     name, zero-terminated, at most 255 bytes before the zero
//         the next entry starts right after the zero byte
void ReadCab(ByteSource& src, ReaderContext& ctx) {
  char signature[sizeof kSignature] = {};
  uint32_t firstEntry = 0;
  uint16_t count = 0;
  src.Read(signature, sizeof signature);
  src.Skip(12);
  src.ReadU32(firstEntry);
  src.Skip(8);
  src.ReadU16(count);
  if (!src.Ok() || std::memcmp(signature, kSignature, sizeof kSignature) != 0) return;
  src.Seek(firstEntry);

  char name[kMemberNameBuffer];
  // The count comes from the file: every entry must also be there in full, so a count larger
  // than the file holds ends at the end of the file.
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t size = 0;
    uint16_t date = 0, time = 0;
    src.ReadU32(size);
    src.Skip(6);
    src.ReadU16(date);
    src.ReadU16(time);
    src.Skip(2);
    if (!src.Ok()) return;
    // The name field is read at its full width, which near the end of a small cabinet runs
    // into the end of the file: that is fine as long as the zero byte was among the bytes read.
    const uint64_t namePos = src.Tell();
    const size_t got = src.ReadUpTo(name, kNameField);
    const std::string_view stored = StoredName(name, got);
    if (stored.size() < got) {
      ctx.Report(stored, date, time, size, 0);
      src.Seek(namePos + stored.size() + 1);
      continue;
    }
    if (got < kNameField) return;  // the file ends inside the name
    // No zero in 255 bytes: a name of exactly 255 bytes ends in the next byte. A longer one
    // breaks the format's limit; it is shown cut to 255 bytes and the walk goes on after its
    // zero byte. Without a zero before the end of the file the entry is incomplete.
    if (!SkipRestOfName(src)) return;
    ctx.Report(std::string_view(name, got), date, time, size, 0);
  }
}

}  // namespace quillow::search::formats
