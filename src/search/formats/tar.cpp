// tar: 512-byte headers from offset 0, each followed by its data rounded up to 512 bytes.
// There is no signature: every header met is reported under the name it carries, whatever
// its type (folders, links, long-name and pax records alike). Tar keeps no DOS date, so the
// archive file's own date and time are reported, and the size stands in for the packed size.
#include <cstring>

#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr uint64_t kBlock = 512;
constexpr size_t kNameField = 100;
constexpr size_t kSizeField = 12;
// Characters 0 to 10 of the size field are digits; character 11 is a terminator.
constexpr size_t kSizeDigits = 11;
static_assert(kNameField < kMemberNameBuffer);

// Octal value of the size field, position 10 being the lowest digit. Spaces count as nothing
// (space-padded fields). So does every other character that is not an octal digit: the zero
// bytes of the closing blocks, a terminator within the digits, or a damaged header. The value
// therefore never goes below 0 and the walk never moves backwards. Eleven octal digits reach
// 33 bits, so the value is kept in 64 bits for the step to the next header; only the size
// reported is cut to 32 bits.
uint64_t SizeValue(const char* field) {
  uint64_t value = 0;
  for (size_t k = 0; k < kSizeDigits; ++k) {
    value *= 8;
    if (field[k] >= '0' && field[k] <= '7') value += static_cast<uint64_t>(field[k] - '0');
  }
  return value;
}

}  // namespace

// Header, offsets from its start:
//    0 100  name; a terminator is added after the field, so a 100-byte name stays whole
//  100  24  mode, owner, group  (skipped)
//  124  12  size, octal text; characters 0 to 10 are used
//  136 376  rest of the header, type flag included (not read)
//  512      data, size rounded up to a multiple of 512; the next header follows it
void ReadTar(ByteSource& src, ReaderContext& ctx) {
  char name[kNameField];
  char sizeField[kSizeField];
  while (src.Tell() < src.Length()) {
    const uint64_t start = src.Tell();
    src.Read(name, kNameField);
    src.Skip(24);
    src.Read(sizeField, kSizeField);
    if (!src.Ok()) return;
    const uint64_t size = SizeValue(sizeField);
    ctx.Report(StoredName(name, kNameField), ctx.defaultDate(), ctx.defaultTime(),
               static_cast<uint32_t>(size), static_cast<uint32_t>(size));
    src.Seek(start + kBlock + (size + kBlock - 1) / kBlock * kBlock);
  }
}

}  // namespace quillow::search::formats
