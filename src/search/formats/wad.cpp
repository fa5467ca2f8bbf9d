// WAD (Doom engine): a header pointing at a directory of lumps. Lumps are stored as they are,
// so the lump size is both size and packed size; WADs keep no dates, so the file's own date
// and time are reported.
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr size_t kNameField = 8;
static_assert(kNameField < kMemberNameBuffer);

}  // namespace

// Header, offsets from the start of the file:
//   0  4  "IWAD" or "PWAD"
//   4  4  number of lumps n, signed
//   8  4  position of the directory
//
// Directory entry, 16 bytes, one after another from the directory position:
//   0  4  position of the lump's data (skipped)
//   4  4  lump size
//   8  8  lump name, zero-padded; a name of 8 characters has no terminator
void ReadWad(ByteSource& src, ReaderContext& ctx) {
  char id[4] = {};
  uint32_t rawCount = 0, directory = 0;
  src.Read(id, sizeof id);
  src.ReadU32(rawCount);
  src.ReadU32(directory);
  if (!src.Ok() ||
      (std::memcmp(id, "IWAD", sizeof id) != 0 && std::memcmp(id, "PWAD", sizeof id) != 0))
    return;
  // A count of 0 or below lists nothing.
  const auto count = static_cast<int32_t>(rawCount);
  src.Seek(directory);

  char name[kNameField];
  // The count comes from the file: each entry must be there in full, so a count larger than
  // the file holds ends at the end of the directory.
  for (int32_t i = 0; i < count; ++i) {
    uint32_t size = 0;
    src.Skip(4);
    src.ReadU32(size);
    src.Read(name, kNameField);
    if (!src.Ok()) return;
    ctx.Report(StoredName(name, kNameField), ctx.defaultDate(), ctx.defaultTime(), size, size);
  }
}

}  // namespace quillow::search::formats
