#include "zip/component/zip_listing.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "base/ascii.h"
#include "zip/sfx/sfx_header.h"

namespace quillow::zip {

namespace {

// After the signature, a local header holds (offsets from the signature's end):
//   0  2  version needed        10  4  CRC-32
//   2  2  flags                 14  4  compressed size (signed)
//   4  2  method                18  4  uncompressed size (signed)
//   6  2  DOS time              22  2  name length
//   8  2  DOS date              24  2  extra-field length
//  26     name, extra field, packed data
constexpr size_t kHeaderRest = 26;

constexpr char kNoEntries[] = "No valid zip entries found!";
constexpr char kNoEntriesLastByte[] = "No valid zip entries found";
constexpr char kReadError[] = "Error reading Zip File!";
constexpr char kError2[] = "Error 2 reading Zip file";
constexpr char kError3[] = "Error 3 reading Zip file";
constexpr char kError4[] = "Error 4 reading Zip file";
constexpr char kError5[] = "Error 5 reading Zip file";
constexpr char kUnknown[] = "Unknow error in List() section!";

// Looks for "PK\3\4" a byte at a time. Only the first byte of a try counts as an attempt;
// a byte that breaks the match is not looked at again as a possible "P". Returns the
// message that ends the listing, or null once the four bytes matched.
const char* Scan(search::ByteSource& src, int& attempts) {
  static constexpr uint8_t kSignature[4] = {'P', 'K', 3, 4};
  for (;;) {
    uint8_t b = 0;
    const bool got = src.ReadU8(b);
    ++attempts;
    if (!got || attempts > kMaxScanAttempts) return kNoEntries;
    if (b != kSignature[0]) continue;
    bool matched = true;
    for (int i = 1; i < 4 && matched; ++i) {
      if (!src.ReadU8(b)) return i == 3 ? kNoEntriesLastByte : kNoEntries;
      matched = b == kSignature[i];
    }
    if (matched) return nullptr;
  }
}

void ParseHeader(const unsigned char* h, ZipDirEntry& e) {
  e.VersionNeeded = base::Le16(h);
  e.Flags = base::Le16(h + 2);
  e.Method = base::Le16(h + 4);
  e.ModTime = base::Le16(h + 6);
  e.ModDate = base::Le16(h + 8);
  e.CRC32 = base::Le32(h + 10);
  e.CompressedSize = static_cast<int32_t>(base::Le32(h + 14));
  e.UncompressedSize = static_cast<int32_t>(base::Le32(h + 18));
  e.FileNameLength = base::Le16(h + 22);
  e.ExtraFieldLength = base::Le16(h + 24);
}

// Where appended data begins in a PE program: the end of its last section's raw data. 0 when
// the bytes are no PE image. (DOS header: "MZ", the PE header's offset at 0x3C; PE header:
// "PE\0\0", the section count at +6 and the optional header's size at +20, then the 40-byte
// section entries with their raw size at +16 and raw offset at +20.)
uint64_t ImageEnd(search::ByteSource& src) {
  auto at = [&](uint64_t offset, void* dst, size_t n) {
    src.Seek(offset);
    return src.Read(dst, n);
  };
  unsigned char dos[64], pe[24];
  if (!at(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return 0;
  const uint64_t peAt = base::Le32(dos + 0x3C);
  if (!at(peAt, pe, sizeof pe) || std::memcmp(pe, "PE\0\0", 4) != 0) return 0;
  const unsigned sections = base::Le16(pe + 6);
  if (sections == 0 || sections > 96) return 0;
  uint64_t entry = peAt + sizeof pe + base::Le16(pe + 20), end = 0;
  for (unsigned i = 0; i < sections; ++i, entry += 40) {
    unsigned char s[40];
    if (!at(entry, s, sizeof s)) return 0;
    if (base::Le32(s + 16) > 0)
      end = std::max<uint64_t>(end, uint64_t{base::Le32(s + 20)} + base::Le32(s + 16));
  }
  return end;
}

// Where the scan of a program starts. A program made by the conversion carries its settings
// header right behind its image and the ZIP data right behind that, however large the
// extractor is: the attempt limit would otherwise lose the data behind any extractor larger
// than the limit. Any other program is scanned from kProgramScanStart.
uint64_t ProgramScanStart(search::ByteSource& src) {
  const uint64_t end = ImageEnd(src);
  unsigned char header[kSfxHeaderSize];
  if (end > 0) {
    src.Seek(end);
    if (src.Read(header, sizeof header) && DecodeSfxHeader(header, sizeof header))
      return end + kSfxHeaderSize;
  }
  return kProgramScanStart;
}

void Walk(search::ByteSource& src, bool programFile, ListingResult& out) {
  src.Seek(programFile ? ProgramScanStart(src) : 0);
  bool found = false;
  int attempts = 0;
  // The end record must still fit behind a member's data.
  const int64_t dataLimit = static_cast<int64_t>(src.Length()) - kEndRecordAllowance;
  for (;;) {
    uint32_t signature = 0;
    if (!found) {
      if (const char* end = Scan(src, attempts)) {
        out.message = end;
        return;
      }
      found = true;
      signature = kLocalHeaderSignature;
      out.firstEntryOffset = src.Tell() - 4;
    } else if (!src.ReadU32(signature)) {
      out.message = kReadError;
      return;
    }

    if (signature == kCentralHeaderSignature || signature == kEndRecordSignature) return;
    // Any other record (a data descriptor, say) is stepped over four bytes at a time.
    if (signature != kLocalHeaderSignature) continue;

    // A damaged first header is taken for bytes that only looked like one: the scan goes on
    // behind it. Once a member is listed, damage ends the walk.
    ZipDirEntry e;
    unsigned char h[kHeaderRest];
    bool ok = src.Read(h, kHeaderRest);
    if (ok) {
      ParseHeader(h, e);
      e.FileName.resize(e.FileNameLength);
      ok = src.Read(e.FileName.data(), e.FileNameLength);
    }
    if (!ok) {
      if (out.entries.empty()) {
        found = false;
        continue;
      }
      out.message = kError2;
      return;
    }
    std::replace(e.FileName.begin(), e.FileName.end(), '/', '\\');

    // A negative size would move the walk backwards, and a header that points back at
    // itself would never end it: such a size is as impossible as one past the end.
    const int64_t dataEnd = static_cast<int64_t>(src.Tell()) + e.ExtraFieldLength +
                            static_cast<int64_t>(e.CompressedSize);
    if (e.CompressedSize < 0 || dataEnd > dataLimit) {
      if (out.entries.empty()) {
        found = false;
        continue;
      }
      out.message = kError3 + e.FileName;
      return;
    }
    if (e.ExtraFieldLength > 0 && !src.Skip(e.ExtraFieldLength)) {
      out.message = kError4 + e.FileName;
      return;
    }
    if (!src.Skip(static_cast<uint64_t>(e.CompressedSize))) {
      out.message = kError5 + e.FileName;
      return;
    }
    out.entries.push_back(std::move(e));
  }
}

}  // namespace

bool IsProgramFile(std::string_view path) {
  const size_t dot = path.find_last_of(".\\/:");
  if (dot == std::string_view::npos || path[dot] != '.') return false;
  return base::EqualsIgnoringAsciiCase(path.substr(dot), ".exe");
}

ListingResult ListZipDirectory(search::ByteSource& src, bool programFile) {
  ListingResult out;
  try {
    Walk(src, programFile, out);
  } catch (const std::exception&) {
    out.message = kUnknown;
  }
  return out;
}

char* ReplaceForwardSlash(char* buffer) {
  if (!buffer) return buffer;
  for (char* p = buffer; *p; ++p)
    if (*p == '/') *p = '\\';
  return buffer;
}

}  // namespace quillow::zip
