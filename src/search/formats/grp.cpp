// GRP (Build engine group file): a signature, an entry count and a table of names and sizes.
// Entries are stored as they are, so the size is both size and packed size; the file keeps
// no dates, so the group file's own date and time are reported.
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

// The signature that opens every group file, after the Build engine's author.
constexpr char kSignature[12] = {'K', 'e', 'n', 'S', 'i', 'l', 'v', 'e', 'r', 'm', 'a', 'n'};
constexpr size_t kNameField = 12;
static_assert(kNameField < kMemberNameBuffer);

}  // namespace

// Header, offsets from the start of the file:
//   0 12  "KenSilverman", no terminator
//  12  4  number of entries n, signed
//  16     entry table, 16 bytes per entry:
//           0 12  name, zero-padded; a name of 12 characters has no terminator
//          12  4  size
// The entries' data follows the table in table order; it is never read.
void ReadGrp(ByteSource& src, ReaderContext& ctx) {
  char signature[sizeof kSignature] = {};
  uint32_t rawCount = 0;
  src.Read(signature, sizeof signature);
  src.ReadU32(rawCount);
  if (!src.Ok() || std::memcmp(signature, kSignature, sizeof kSignature) != 0) return;
  // A count of 0 or below lists nothing.
  const auto count = static_cast<int32_t>(rawCount);

  char name[kNameField];
  // The count comes from the file: each entry must be there in full, so a count larger than
  // the file holds ends at the end of the table.
  for (int32_t i = 0; i < count; ++i) {
    uint32_t size = 0;
    src.Read(name, kNameField);
    src.ReadU32(size);
    if (!src.Ok()) return;
    ctx.Report(StoredName(name, kNameField), ctx.defaultDate(), ctx.defaultTime(), size, size);
  }
}

}  // namespace quillow::search::formats
