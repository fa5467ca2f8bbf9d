// ZIP: the chain of local file headers from offset 0, each followed by its packed data. The
// central directory is never read; the walk ends at the first record that is not a local
// header.
#include "search/formats/formats.h"

namespace quillow::formats {

namespace {

// Local file header:
//   0  4  signature 50 4B 03 04
//   4  2  version needed          (skipped)
//   6  2  flags                   bit 3: sizes follow the data (refused)
//   8  2  method                  (skipped)
//  10  2  DOS time
//  12  2  DOS date
//  14  4  CRC-32                  (skipped)
//  18  4  compressed size
//  22  4  uncompressed size
//  26  2  name length             at most kMaxName
//  28  2  extra-field length
//  30     name, extra field, packed data
constexpr size_t kHeader = 30;
constexpr uint32_t kSignature = 0x04034B50;
constexpr uint16_t kDataDescriptorFlag = 8;
constexpr uint16_t kMaxName = 257;

constexpr char kRarity[] = ": This ZIP type not supported due to its rarity\n";
constexpr char kCorrupt[] = ": Corrupt ZIP file\n";

}  // namespace

void ReadZip(ByteSource& src, ReaderContext& ctx) {
  unsigned char h[kHeader];
  char name[kMemberNameBuffer];
  while (src.Tell() < src.Length()) {
    const uint64_t start = src.Tell();
    // A header cut short by the end of the file still gets the tests its bytes allow.
    const size_t got = src.ReadUpTo(h, kHeader);
    if (got < 4 || Le32(h) != kSignature) return;
    if (got < 8) return;
    if (Le16(h + 6) & kDataDescriptorFlag) {
      ctx.Warn(kRarity);
      return;
    }
    if (got < 22) return;
    const uint16_t time = Le16(h + 10), date = Le16(h + 12);
    const uint32_t packed = Le32(h + 18);
    // The size test compares as signed 32-bit: a size of 2^31 or more passes it. The step
    // below is unsigned, so such a member moves the walk forward past the end, never back.
    const int64_t remaining = static_cast<int64_t>(src.Length()) - static_cast<int64_t>(start + 22);
    if (remaining < static_cast<int32_t>(packed)) {
      ctx.Warn(kCorrupt);
      return;
    }
    if (got < 28) return;
    const uint32_t size = Le32(h + 22);
    const uint16_t nameLen = Le16(h + 26);
    if (nameLen > kMaxName) {
      ctx.Warn(kCorrupt);
      return;
    }
    if (got < kHeader) return;
    const uint16_t extraLen = Le16(h + 28);
    if (!src.Read(name, nameLen)) return;
    name[nameLen] = '\0';
    ctx.Report(std::string_view(name, nameLen), date, time, size, packed);
    src.Seek(start + kHeader + nameLen + uint64_t{extraLen} + packed);
  }
}

}  // namespace quillow::formats
