// ZIP: the chain of local file headers from offset 0, each followed by its packed data. The
// central directory is never read; the walk ends at the first record that is not a local
// header.
#include <algorithm>

#include "base/zip_extra.h"
#include "search/formats/formats.h"

namespace quillow::search::formats {

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
constexpr size_t kSignatureAt = 0, kFlagsAt = 6, kTimeAt = 10, kDateAt = 12, kPackedAt = 18,
                 kSizeAt = 22, kNameLengthAt = 26, kExtraLengthAt = 28;
constexpr uint32_t kSignature = 0x04034B50;
constexpr uint16_t kDataDescriptorFlag = 8;
constexpr uint16_t kMaxName = 257;

constexpr char kRarity[] = ": This ZIP type not supported due to its rarity\n";
constexpr char kCorrupt[] = ": Corrupt ZIP file\n";

// ZIP64 extended information (Info-ZIP's zip -fz, and any member of 4 GB or more): both
// sizes stand at the marker in the header, and the extra field's ZIP64 record holds the
// uncompressed, then the compressed size. Takes both from the extra field at the current
// position, read as far as the file has it; leaves the position anywhere. False when there
// is no such record (or it is short).
bool ReadZip64Sizes(ByteSource& src, uint16_t extraLength, uint64_t& size, uint64_t& packed) {
  static thread_local unsigned char extra[0xFFFF];
  const size_t got = src.ReadUpTo(extra, extraLength);
  uint64_t found[2] = {size, packed};
  if (base::ApplyZip64(extra, got, {&found[0], &found[1]}).applied != 2) return false;
  size = found[0];
  packed = found[1];
  return true;
}

}  // namespace

void ReadZip(ByteSource& src, ReaderContext& ctx) {
  unsigned char h[kHeader];
  char name[kMemberNameBuffer];
  while (src.Tell() < src.Length()) {
    const uint64_t start = src.Tell();
    // A header cut short by the end of the file still gets the tests its bytes allow.
    const size_t got = src.ReadUpTo(h, kHeader);
    if (got < kSignatureAt + 4 || base::Le32(h + kSignatureAt) != kSignature) return;
    if (got < kFlagsAt + 2) return;
    if (base::Le16(h + kFlagsAt) & kDataDescriptorFlag) {
      ctx.Warn(kRarity);
      return;
    }
    if (got < kSizeAt) return;
    const uint16_t time = base::Le16(h + kTimeAt), date = base::Le16(h + kDateAt);
    const uint32_t packed = base::Le32(h + kPackedAt);
    // The size test compares as signed 32-bit: a size of 2^31 or more passes it. The step
    // below is unsigned, so such a member moves the walk forward past the end, never back.
    const int64_t remaining =
        static_cast<int64_t>(src.Length()) - static_cast<int64_t>(start + kSizeAt);
    if (remaining < static_cast<int32_t>(packed)) {
      ctx.Warn(kCorrupt);
      return;
    }
    if (got < kExtraLengthAt) return;
    const uint32_t size = base::Le32(h + kSizeAt);
    const uint16_t nameLen = base::Le16(h + kNameLengthAt);
    if (nameLen > kMaxName) {
      ctx.Warn(kCorrupt);
      return;
    }
    if (got < kHeader) return;
    const uint16_t extraLen = base::Le16(h + kExtraLengthAt);
    if (!src.Read(name, nameLen)) return;
    const uint64_t dataStart = start + kHeader + nameLen + uint64_t{extraLen};

    // Sizes that stand at the ZIP64 marker are read from the ZIP64 record, when there is one:
    // they are what the member really holds, and the step to the next header needs them.
    uint64_t realSize = size, realPacked = packed;
    if (size == base::kZip64Marker && packed == base::kZip64Marker &&
        ReadZip64Sizes(src, extraLen, realSize, realPacked) &&
        realPacked > src.Length() - std::min(src.Length(), dataStart)) {
      ctx.Warn(kCorrupt);
      return;
    }
    // Sizes of 4 GB and more show their low 32 bits, as the Folders pass shows a file's.
    ctx.Report(StoredName(name, nameLen), date, time, static_cast<uint32_t>(realSize),
               static_cast<uint32_t>(realPacked));
    src.Seek(dataStart + realPacked);
  }
}

}  // namespace quillow::search::formats
