// RAR 5: an eight-byte signature, then blocks whose fields are variable-length integers
// (seven bits a byte, low bits first, the top bit set on every byte but the last). Each
// block carries a CRC-32 of its header; a header that is damaged, cut short or larger than
// any archiver writes ends the walk with the members already listed.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/fs.h"
#include "search/formats/formats.h"

namespace quillow::search::formats {
namespace {

constexpr unsigned char kSignature[8] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};

// Block:
//   0  4  header CRC-32, over the bytes from the header size to the end of the header
//   4  v  header size: the bytes from the header type to the end of the header
//      v  header type
//      v  header flags
//      v  extra-area size           (flag kHasExtra)
//      v  data size                 (flag kHasData)
//         type-specific fields, then the extra area at the end of the header
//         the data area of data size bytes follows the header
enum BlockType : uint64_t { kMain = 1, kFile = 2, kService = 3, kEncryption = 4, kEnd = 5 };
constexpr uint64_t kHasExtra = 0x01, kHasData = 0x02;
// RAR 5 limits a block header to 2 MB.
constexpr uint64_t kMaxHeader = 2 * 1024 * 1024;
constexpr size_t kMaxVint = 10;

// File header, type-specific fields:
//      v  file flags                kDirectory, kHasTime, kHasCrc
//      v  unpacked size
//      v  attributes
//      4  modification time, Unix seconds in UTC   (flag kHasTime)
//      4  data CRC-32                              (flag kHasCrc)
//      v  compression information
//      v  host system
//      v  name length
//         name, UTF-8 with "/" separators, no terminator
constexpr uint64_t kHasTime = 0x02, kHasCrc = 0x04;

// Extra-area record: v size (of what follows), v type, data. Type 3 holds the file times:
//      v  flags                     kUnixTimes (else Windows FILETIMEs), kHasMtime
//      4 or 8  modification time, first of the times
constexpr uint64_t kTimeRecord = 3;
constexpr uint64_t kUnixTimes = 0x01, kHasMtime = 0x02;
constexpr uint64_t kFileTimeTicks = 10000000, kFileTimeToUnix = 11644473600ull;

constexpr char kEncrypted[] = ": Encrypted RAR headers: members cannot be listed\n";
constexpr size_t kNameMax = kMemberNameBuffer - 1;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

uint32_t Crc32(uint32_t crc, const unsigned char* p, size_t n) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = kCrcTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

// Reads fields from one header held in memory; a field that runs past it sets ok false.
class Fields {
 public:
  Fields(const unsigned char* p, size_t n) : p_(p), end_(p + n) {}
  uint64_t Vint() {
    uint64_t v = 0;
    for (size_t i = 0; i < kMaxVint; ++i) {
      if (p_ >= end_) break;
      const unsigned char b = *p_++;
      v |= uint64_t{b & 0x7Fu} << (7 * i);
      if (!(b & 0x80)) return v;
    }
    ok = false;
    return 0;
  }
  uint32_t U32() {
    if (end_ - p_ < 4) {
      ok = false;
      return 0;
    }
    const uint32_t v = base::Le32(p_);
    p_ += 4;
    return v;
  }
  uint64_t U64() {
    const uint64_t low = U32();
    return low | uint64_t{U32()} << 32;
  }
  // The next n bytes, or null when the header holds fewer.
  const unsigned char* Take(uint64_t n) {
    if (!ok || n > static_cast<uint64_t>(end_ - p_)) {
      ok = false;
      return nullptr;
    }
    const unsigned char* at = p_;
    p_ += n;
    return at;
  }
  size_t Left() const { return static_cast<size_t>(end_ - p_); }
  bool ok = true;

 private:
  const unsigned char* p_;
  const unsigned char* end_;
};

// The modification time from the extra area's time record: Unix seconds, or false.
bool ExtraModified(Fields extra, int64_t& unixTime) {
  while (extra.ok && extra.Left() > 0) {
    const uint64_t size = extra.Vint();
    const unsigned char* record = extra.Take(size);
    if (!record) return false;
    Fields r(record, static_cast<size_t>(size));
    if (r.Vint() != kTimeRecord) continue;
    const uint64_t flags = r.Vint();
    if (!(flags & kHasMtime)) return false;
    if (flags & kUnixTimes) {
      unixTime = r.U32();
    } else {
      const uint64_t ticks = r.U64();
      unixTime =
          static_cast<int64_t>(ticks / kFileTimeTicks) - static_cast<int64_t>(kFileTimeToUnix);
    }
    return r.ok;
  }
  return false;
}

// Reports one file header's member from its type-specific fields and its extra area.
void ReportFile(Fields f, Fields extra, uint64_t dataSize, ReaderContext& ctx) {
  const uint64_t fileFlags = f.Vint();
  const uint64_t size = f.Vint();
  f.Vint();  // attributes
  int64_t unixTime = 0;
  bool dated = false;
  if (fileFlags & kHasTime) {
    unixTime = f.U32();
    dated = true;
  }
  if (fileFlags & kHasCrc) f.U32();
  f.Vint();  // compression
  f.Vint();  // host system
  const uint64_t nameLength = f.Vint();
  const unsigned char* name = f.Take(nameLength);
  if (!name) return;
  if (!dated) dated = ExtraModified(extra, unixTime);
  // Names longer than the buffer show their beginning, as other long names do.
  const std::string_view shown = StoredName(name, std::min<uint64_t>(nameLength, kNameMax));
  // Sizes of 4 GB and more show their low 32 bits, as the Folders pass shows a file's.
  const auto size32 = static_cast<uint32_t>(size), packed32 = static_cast<uint32_t>(dataSize);
  if (!dated) return ctx.ReportUndated(shown, size32, packed32);
  uint16_t date = 0, time = 0;
  platform::UnixTimeToDos(unixTime, date, time);
  ctx.Report(shown, date, time, size32, packed32);
}

// Reads a variable-length integer straight from the file, keeping its bytes for the CRC.
bool ReadVint(ByteSource& src, uint64_t& v, unsigned char* bytes, size_t& count) {
  v = 0;
  for (count = 0; count < kMaxVint;) {
    uint8_t b = 0;
    if (!src.ReadU8(b)) return false;
    bytes[count] = b;
    v |= uint64_t{b & 0x7Fu} << (7 * count);
    ++count;
    if (!(b & 0x80)) return true;
  }
  return false;
}

}  // namespace

void ReadRar5(ByteSource& src, ReaderContext& ctx) {
  unsigned char signature[sizeof kSignature];
  if (!src.Read(signature, sizeof signature) ||
      std::memcmp(signature, kSignature, sizeof kSignature) != 0)
    return;

  std::vector<unsigned char> header;
  while (src.Tell() < src.Length()) {
    uint32_t crc = 0;
    unsigned char sizeBytes[kMaxVint];
    size_t sizeCount = 0;
    uint64_t headerSize = 0;
    if (!src.ReadU32(crc) || !ReadVint(src, headerSize, sizeBytes, sizeCount)) return;
    if (headerSize == 0 || headerSize > kMaxHeader || headerSize > src.Remaining()) return;
    header.resize(static_cast<size_t>(headerSize));
    if (!src.Read(header.data(), header.size())) return;
    if (Crc32(Crc32(0, sizeBytes, sizeCount), header.data(), header.size()) != crc) return;

    Fields f(header.data(), header.size());
    const uint64_t type = f.Vint();
    const uint64_t flags = f.Vint();
    const uint64_t extraSize = (flags & kHasExtra) ? f.Vint() : 0;
    const uint64_t dataSize = (flags & kHasData) ? f.Vint() : 0;
    if (!f.ok || extraSize > f.Left()) return;

    if (type == kEncryption) {
      ctx.Warn(kEncrypted);
      return;
    }
    if (type == kEnd) return;
    if (type == kFile) {
      // The extra area is the header's last extraSize bytes.
      const size_t fieldsEnd = header.size() - static_cast<size_t>(extraSize);
      const size_t fieldsAt = header.size() - f.Left();
      ReportFile(Fields(header.data() + fieldsAt, fieldsEnd - fieldsAt),
                 Fields(header.data() + fieldsEnd, static_cast<size_t>(extraSize)), dataSize, ctx);
    }
    // Main and service headers (comments, quick-open copies, ACLs, streams) are stepped over
    // with their data, like any type this reader does not know.
    if (!src.Skip(dataSize)) return;
  }
}

}  // namespace quillow::search::formats
