// LZH (LHarc, LHA): one header per member with the packed data right after it, and a zero
// byte where the next header would start at the end of the archive. There is no signature.
// Four header levels share the first 21 bytes; the level byte at offset 20 tells the rest.
#include <algorithm>

#include "platform/fs.h"
#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

// Bytes every level has in common: up to and including the level byte.
constexpr size_t kCommonPart = 21;
// Every archiver writes the method id as "-" three characters "-" ("-lh5-", "-lzs-"); a
// header without that shape is no header (a self-extractor's program part, say), and
// reading on would list junk members with sizes of hundreds of megabytes.
constexpr size_t kMethodAt = 2, kMethodLength = 5;
constexpr size_t kNameCapacity = kMemberNameBuffer - 1;
// Levels 2 and 3 join the directory and the file name with this separator, the one LHA's
// own MS-DOS convention uses (level-0 names such as "docs\notes.txt"), so a member lists
// alike whichever level wrote it.
constexpr char kSeparator = '\\';
// The directory extended header separates its parts with this byte.
constexpr unsigned char kLhaDirSeparator = 0xFF;

constexpr uint8_t kExtFileName = 0x01;
constexpr uint8_t kExtDirName = 0x02;

// The common part (offsets from the start of a header):
//    0  1  header size (levels 0 and 1); 0 here ends the archive
//    1  1  header checksum (levels 0 and 1)
//    2  5  method id, such as "-lh5-"
//    7  4  compressed size
//   11  4  unpacked size
//   15  4  levels 0 and 1: DOS time, then DOS date; levels 2 and 3: Unix time
//   19  1  attribute
//   20  1  header level
struct Common {
  const unsigned char* b;
  uint32_t packed() const { return base::Le32(b + 7); }
  uint32_t size() const { return base::Le32(b + 11); }
  uint16_t dosTime() const { return base::Le16(b + 15); }
  uint16_t dosDate() const { return base::Le16(b + 17); }
  uint32_t unixTime() const { return base::Le32(b + 15); }
  uint8_t level() const { return b[20]; }
};

// The name as stored, built in the member-name buffer; never longer than it allows.
struct Name {
  char text[kMemberNameBuffer];
  size_t length = 0;
  std::string_view view() const { return StoredName(text, length); }
};

// Reads a name of `n` bytes; false when the file ends first.
bool ReadName(ByteSource& src, uint8_t n, Name& name) {
  static_assert(255 <= kNameCapacity);
  name.length = n;
  return src.Read(name.text, n);
}

// Level 0 (after the common part):
//   21  1  name length n
//   22  n  name, folders separated as stored (usually backslashes)
// 22+n  2  CRC-16, then optional extension bytes up to 2 + header size
// Data starts at 2 + header size.
bool ReadLevel0(ByteSource& src, uint64_t start, Common c, ReaderContext& ctx) {
  uint8_t n;
  if (!src.ReadU8(n)) return false;
  const uint64_t headerEnd = start + 2 + c.b[0];
  // A name running past the header means this is no header at all.
  if (start + 22 + n > headerEnd) return false;
  Name name;
  if (!ReadName(src, n, name)) return false;
  ctx.Report(name.view(), c.dosDate(), c.dosTime(), c.size(), c.packed());
  return src.Skip(headerEnd - src.Tell()) && src.Skip(c.packed());
}

// Level 1 (after the common part):
//   21  1  name length n
//   22  n  name (the file name alone; a folder part would be in an extended header)
// 22+n  2  CRC-16
// 24+n  1  OS id
// 25+n  2  size of the first extended header
// 27+n     extended headers and data, counted together by the compressed size
// The name and both sizes are taken as they stand, packed size included.
bool ReadLevel1(ByteSource& src, Common c, ReaderContext& ctx) {
  uint8_t n;
  Name name;
  if (!src.ReadU8(n) || !ReadName(src, n, name)) return false;
  ctx.Report(name.view(), c.dosDate(), c.dosTime(), c.size(), c.packed());
  return src.Skip(uint64_t{c.packed()} + 5);
}

// File and directory names gathered from the extended headers of a level-2 or -3 header.
struct ExtendedNames {
  Name file, dir;
};

// Reads the data of one name-bearing extended header, keeping what fits the buffer.
bool ReadExtendedName(ByteSource& src, uint32_t length, Name& name) {
  const size_t take = std::min<size_t>(length, kNameCapacity);
  name.length = take;
  return src.Read(name.text, take) && src.Skip(length - take);
}

// Extended headers of levels 2 and 3, from the first size field on. Each one is
//     0  1  type (0x01 file name, 0x02 directory name; the others are not needed)
//     1  d  data
//   1+d  w  size of the next extended header; 0 after the last
// where w, the width of a size field, is 2 for level 2 and 4 for level 3, and a size counts
// all three fields (d = size - 1 - w). Every extended header must lie within the header.
bool ReadExtendedHeaders(ByteSource& src, uint32_t size, unsigned width, uint64_t headerEnd,
                         ExtendedNames& names) {
  while (size != 0) {
    const uint64_t at = src.Tell();
    if (size < 1 + width || at + size > headerEnd) return false;
    uint8_t type;
    if (!src.ReadU8(type)) return false;
    const uint32_t dataLength = size - 1 - width;
    if (type == kExtFileName) {
      if (!ReadExtendedName(src, dataLength, names.file)) return false;
    } else if (type == kExtDirName) {
      if (!ReadExtendedName(src, dataLength, names.dir)) return false;
    } else if (!src.Skip(dataLength)) {
      return false;
    }
    unsigned char next[4];
    if (!src.Read(next, width)) return false;
    size = width == 2 ? base::Le16(next) : base::Le32(next);
  }
  return true;
}

// The directory with its 0xFF separators turned into kSeparator, then the file name.
Name JoinNames(const ExtendedNames& names) {
  Name out;
  for (size_t i = 0; i < names.dir.length; ++i) {
    const unsigned char ch = static_cast<unsigned char>(names.dir.text[i]);
    out.text[i] = ch == kLhaDirSeparator ? kSeparator : static_cast<char>(ch);
  }
  out.length = names.dir.length;
  if (out.length > 0 && out.text[out.length - 1] != kSeparator && out.text[out.length - 1] != '/' &&
      out.length < kNameCapacity)
    out.text[out.length++] = kSeparator;
  const size_t take = std::min(names.file.length, kNameCapacity - out.length);
  std::copy_n(names.file.text, take, out.text + out.length);
  out.length += take;
  return out;
}

// Levels 2 and 3 (after the common part):
//   level 2                                level 3
//    0  2  total header size                0  2  size-field width, 4
//   21  2  CRC-16                          21  2  CRC-16
//   23  1  OS id                           23  1  OS id
//   24  2  size of first extended header   24  4  total header size
//                                          28  4  size of first extended header
// Extended headers follow up to the total header size; the data starts there. The time at
// offset 15 is a Unix time.
bool ReadLevel2Or3(ByteSource& src, uint64_t start, Common c, ReaderContext& ctx) {
  const bool level3 = c.level() == 3;
  unsigned char rest[11];
  const size_t restSize = level3 ? 11 : 5;
  if (!src.Read(rest, restSize)) return false;
  const uint32_t headerSize = level3 ? base::Le32(rest + 3) : base::Le16(c.b);
  const uint32_t firstExtended = level3 ? base::Le32(rest + 7) : base::Le16(rest + 3);
  if (headerSize < kCommonPart + restSize) return false;
  const uint64_t headerEnd = start + headerSize;

  ExtendedNames names;
  if (!ReadExtendedHeaders(src, firstExtended, level3 ? 4 : 2, headerEnd, names)) return false;
  uint16_t date, time;
  platform::UnixTimeToDos(c.unixTime(), date, time);
  ctx.Report(JoinNames(names).view(), date, time, c.size(), c.packed());
  return src.Skip(headerEnd - src.Tell()) && src.Skip(c.packed());
}

}  // namespace

void ReadLzh(ByteSource& src, ReaderContext& ctx) {
  for (;;) {
    const uint64_t start = src.Tell();
    uint8_t headerSize;
    if (!src.ReadU8(headerSize) || headerSize == 0) return;
    unsigned char common[kCommonPart];
    common[0] = headerSize;
    if (!src.Read(common + 1, kCommonPart - 1)) return;
    if (common[kMethodAt] != '-' || common[kMethodAt + kMethodLength - 1] != '-') return;
    const Common c{common};
    bool more;
    switch (c.level()) {
      case 0: more = ReadLevel0(src, start, c, ctx); break;
      case 2:
      case 3: more = ReadLevel2Or3(src, start, c, ctx); break;
      default:
        // Level 1, and any level no archiver writes, by the level-1 layout.
        more = ReadLevel1(src, c, ctx);
        break;
    }
    if (!more) return;
  }
}

}  // namespace quillow::search::formats
