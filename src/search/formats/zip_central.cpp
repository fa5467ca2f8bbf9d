// ZIP, read from the central directory: the end record near the end of the file says where
// the directory is, and the directory lists every member with its final sizes, so members
// whose sizes follow their data (a data descriptor) are listed too. An archive with no end
// record (a download cut short) is walked from its local headers instead.
#include <algorithm>
#include <vector>

#include "base/zip_extra.h"
#include "search/formats/formats.h"

namespace quillow::search::formats {

namespace {

// End of central directory record:
//   0  4  signature 50 4B 05 06
//   4  2  number of this disk
//   6  2  disk where the directory starts
//   8  2  entries on this disk
//  10  2  entries in all
//  12  4  directory size
//  16  4  directory offset, from the start of the ZIP data
//  20  2  comment length
//  22     comment
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr size_t kEndRecord = 22;
constexpr size_t kEndDiskAt = 4, kEndDirDiskAt = 6, kEndCountAt = 10, kEndSizeAt = 12,
                 kEndOffsetAt = 16, kEndCommentAt = 20;
// The record and the longest comment it can carry: the end record is somewhere in here. Most
// archives have no comment, so a small tail is read first and the whole span only when the
// record is not in it.
constexpr uint64_t kEndSearch = kEndRecord + 0xFFFF;
constexpr uint64_t kFirstTail = 8 * 1024;

// ZIP64 end locator, right before the end record:
//   0  4  signature 50 4B 06 07
//   4  4  disk of the ZIP64 end record
//   8  8  offset of the ZIP64 end record, from the start of the ZIP data
//  16  4  number of disks
constexpr uint32_t kLocatorSignature = 0x07064B50;
constexpr size_t kLocator = 20, kLocatorOffsetAt = 8;

// ZIP64 end record:
//   0  4  signature 50 4B 06 06
//   4  8  size of the rest of the record
//  12  4  versions
//  16  4  number of this disk
//  20  4  disk where the directory starts
//  24  8  entries on this disk
//  32  8  entries in all
//  40  8  directory size
//  48  8  directory offset
//  56     extensible data
constexpr uint32_t kEnd64Signature = 0x06064B50;
constexpr size_t kEnd64 = 56;
constexpr size_t kEnd64DiskAt = 16, kEnd64DirDiskAt = 20, kEnd64CountAt = 32, kEnd64SizeAt = 40,
                 kEnd64OffsetAt = 48;

// Central directory header:
//   0  4  signature 50 4B 01 02
//   4  4  versions                (skipped)
//   8  2  flags                   (skipped: bit 11 only says how the name is encoded)
//  10  2  method                  (skipped)
//  12  2  DOS time
//  14  2  DOS date
//  16  4  CRC-32                  (skipped)
//  20  4  compressed size
//  24  4  uncompressed size
//  28  2  name length
//  30  2  extra-field length
//  32  2  comment length
//  34  8  disk, attributes        (skipped)
//  42  4  local header offset, from the start of the ZIP data
//  46     name, extra field, comment
constexpr uint32_t kEntrySignature = 0x02014B50;
constexpr size_t kEntry = 46;
constexpr size_t kTimeAt = 12, kDateAt = 14, kPackedAt = 20, kSizeAt = 24, kNameLengthAt = 28,
                 kExtraLengthAt = 30, kCommentLengthAt = 32, kLocalOffsetAt = 42;
// A local header is at least this long, so its data starts no earlier.
constexpr uint64_t kLocalHeader = 30;

// ZIP64 extended information in a directory entry: only the fields whose 32-bit value stands
// at 0xFFFFFFFF are there, in this order: uncompressed size, compressed size, local header
// offset (8 bytes each), disk (4).

// The directory is read in pieces of this size; one entry may need more and gets it.
constexpr size_t kDirectoryPiece = 256 * 1024;
constexpr size_t kNameMax = kMemberNameBuffer - 1;

constexpr char kCorrupt[] = ": Corrupt ZIP file\n";

struct Directory {
  uint64_t base = 0;    // where the ZIP data starts in the file (after a program stub)
  uint64_t start = 0;   // file offset of the first entry
  uint64_t size = 0;    // bytes of entries
  uint64_t count = 0;   // entries the end record promises
  bool placed = false;  // false: the end record points outside the file

  // The entries end where the end record (or the ZIP64 one) begins, at `endAt`; `offset` is
  // where the record says they start, counted from the ZIP data's own start.
  void Place(uint64_t endAt, uint64_t offset) {
    placed = size <= endAt && offset <= endAt - size;
    if (placed) {
      start = endAt - size;
      base = start - offset;
    }
  }
};

// The ZIP64 end record that the locator names, when there is one and it sits either where
// the locator says or (after a stub the offsets do not count) right before the locator.
bool ReadEnd64(ByteSource& src, uint64_t locatorAt, Directory& dir) {
  unsigned char loc[kLocator];
  src.Seek(locatorAt);
  if (!src.Read(loc, kLocator) || base::Le32(loc) != kLocatorSignature) return false;
  const uint64_t stated = base::Le64(loc + kLocatorOffsetAt);
  unsigned char e[kEnd64];
  for (uint64_t at : {stated, locatorAt >= kEnd64 ? locatorAt - kEnd64 : locatorAt}) {
    if (at > locatorAt || locatorAt - at < kEnd64) continue;
    src.Seek(at);
    if (!src.Read(e, kEnd64) || base::Le32(e) != kEnd64Signature) continue;
    if (base::Le32(e + kEnd64DiskAt) != base::Le32(e + kEnd64DirDiskAt)) return false;
    dir.count = base::Le64(e + kEnd64CountAt);
    dir.size = base::Le64(e + kEnd64SizeAt);
    dir.Place(at, base::Le64(e + kEnd64OffsetAt));
    return true;
  }
  return false;
}

// The end of the file, read once: the directory of a small archive is in it already.
struct Tail {
  std::vector<unsigned char> bytes;
  uint64_t at = 0;  // file offset of bytes[0]
};

// Finds the last end record in `tail` whose comment fits in the file. False when there is
// none, or when it belongs to the last part of a split archive.
bool FindEndRecord(ByteSource& src, const Tail& tail, Directory& dir, bool& found) {
  found = false;
  for (size_t i = tail.bytes.size() - kEndRecord + 1; i-- > 0;) {
    const unsigned char* e = tail.bytes.data() + i;
    if (base::Le32(e) != kEndSignature) continue;
    if (i + kEndRecord + base::Le16(e + kEndCommentAt) > tail.bytes.size()) continue;
    found = true;
    // The last part of a split archive: its directory starts on another disk.
    if (base::Le16(e + kEndDiskAt) != base::Le16(e + kEndDirDiskAt)) return false;
    const uint64_t endAt = tail.at + i;
    if (endAt >= kLocator && ReadEnd64(src, endAt - kLocator, dir)) return true;
    dir.count = base::Le16(e + kEndCountAt);
    dir.size = base::Le32(e + kEndSizeAt);
    dir.Place(endAt, base::Le32(e + kEndOffsetAt));
    return true;
  }
  return false;
}

bool FindDirectory(ByteSource& src, Directory& dir, Tail& tail) {
  const uint64_t length = src.Length();
  if (length < kEndRecord) return false;
  for (uint64_t span : {kFirstTail, kEndSearch}) {
    tail.at = length - std::min(length, span);
    tail.bytes.resize(static_cast<size_t>(length - tail.at));
    src.Seek(tail.at);
    if (!src.Read(tail.bytes.data(), tail.bytes.size())) return false;
    bool found = false;
    if (FindEndRecord(src, tail, dir, found)) return true;
    if (found || tail.at == 0) return false;
  }
  return false;
}

// The directory's bytes, read a large piece at a time; an entry is always whole in memory.
class DirectoryReader {
 public:
  // What `tail` holds of the directory is taken from it instead of being read again.
  DirectoryReader(ByteSource& src, const Directory& dir, Tail& tail)
      : src_(src), next_(dir.start), end_(dir.start + dir.size) {
    if (dir.start < tail.at || dir.start - tail.at > tail.bytes.size()) return;
    const auto from = static_cast<size_t>(dir.start - tail.at);
    const size_t take = static_cast<size_t>(std::min<uint64_t>(dir.size, tail.bytes.size() - from));
    buf_.swap(tail.bytes);
    at_ = from;
    buf_.resize(from + take);
    next_ = dir.start + take;
  }

  // The next n bytes of the directory, or null when the directory holds fewer.
  const unsigned char* Peek(size_t n) {
    if (buf_.size() - at_ >= n) return buf_.data() + at_;
    if (n - (buf_.size() - at_) > end_ - next_) return nullptr;
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(at_));
    at_ = 0;
    const uint64_t want = std::max<uint64_t>(n - buf_.size(), kDirectoryPiece);
    const size_t more = static_cast<size_t>(std::min(want, end_ - next_));
    const size_t had = buf_.size();
    buf_.resize(had + more);
    src_.Seek(next_);
    if (!src_.Read(buf_.data() + had, more)) {
      buf_.resize(had);
      return nullptr;
    }
    next_ += more;
    return buf_.data();
  }
  void Consume(size_t n) { at_ += n; }

 private:
  ByteSource& src_;
  uint64_t next_;  // file offset of the first byte not yet read
  const uint64_t end_;
  std::vector<unsigned char> buf_;
  size_t at_ = 0;  // first unconsumed byte of buf_
};

}  // namespace

void ReadZipCentral(ByteSource& src, ReaderContext& ctx) {
  Directory dir;
  Tail tail;
  if (!FindDirectory(src, dir, tail)) {
    if (!src.Ok()) return;  // a read error, not a missing directory
    src.Seek(0);
    ReadZip(src, ctx);
    return;
  }
  if (!dir.placed) {
    ctx.Warn(kCorrupt);
    return;
  }
  const uint64_t dataEnd = dir.start - dir.base;  // member data ends where the directory starts
  DirectoryReader entries(src, dir, tail);
  for (uint64_t i = 0; i < dir.count; ++i) {
    const unsigned char* h = entries.Peek(kEntry);
    if (!h || base::Le32(h) != kEntrySignature) {
      ctx.Warn(kCorrupt);
      return;
    }
    const uint16_t time = base::Le16(h + kTimeAt), date = base::Le16(h + kDateAt);
    uint64_t packed = base::Le32(h + kPackedAt), size = base::Le32(h + kSizeAt);
    uint64_t offset = base::Le32(h + kLocalOffsetAt);
    const size_t nameLen = base::Le16(h + kNameLengthAt), extraLen = base::Le16(h + kExtraLengthAt);
    const size_t total = kEntry + nameLen + extraLen + base::Le16(h + kCommentLengthAt);
    h = entries.Peek(total);
    if (!h) {  // the name, extra field or comment runs past the directory
      ctx.Warn(kCorrupt);
      return;
    }
    base::ApplyZip64(h + kEntry + nameLen, extraLen, {&size, &packed, &offset});
    if (offset > dataEnd || packed > dataEnd - offset || kLocalHeader > dataEnd - offset - packed) {
      ctx.Warn(kCorrupt);
      return;
    }
    // Names longer than the buffer show their beginning, as other long names do.
    ctx.Report(StoredName(h + kEntry, std::min(nameLen, kNameMax)), date, time,
               static_cast<uint32_t>(size), static_cast<uint32_t>(packed));
    entries.Consume(total);
  }
}

}  // namespace quillow::search::formats
