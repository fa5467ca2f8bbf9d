// 7z: a 32-byte signature header at offset 0 points at the archive's one header near the end
// of the file. That header is plain, or itself packed (usually LZMA) into a stream described
// by a small "encoded header"; only then is anything decompressed, and only the header. The
// member list comes from its files information, the sizes from its streams information.
#include <algorithm>
#include <cstring>
#include <string>

#include "base/text.h"
#include "platform/fs.h"
#include "search/formats/formats.h"
#include "search/formats/sevenzip_decode.h"
#include "search/formats/sevenzip_streams.h"

namespace quillow::search::formats {

namespace {

using namespace sevenzip;

// Signature header, offsets from the start of the file:
//   0  6  signature 37 7A BC AF 27 1C
//   6  2  format version, major and minor   (not checked: every 0.x reads the same)
//   8  4  CRC-32 of bytes 12 to 31
//  12  8  position of the header, counted from byte 32
//  20  8  size of the header
//  28  4  CRC-32 of the header
constexpr size_t kSignatureHeader = 32;
constexpr size_t kStartCrcAt = 8, kNextOffsetAt = 12, kNextSizeAt = 20, kNextCrcAt = 28;
constexpr unsigned char kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};

// A header, packed or unpacked, larger than this is taken for damage: a million members
// with long names fit in well under it.
constexpr uint64_t kMaxHeader = 64ull << 20;
// No real header packs better than this: names, times and attributes of real files leave far
// more in the packed stream. A header that claims to unpack further is a bomb, not a listing.
constexpr uint64_t kMaxHeaderRatio = 1024;
// An encoded header unpacks to a header; archivers nest no further than once.
constexpr int kMaxEncodings = 4;

constexpr char kCorrupt[] = ": Corrupt 7z file\n";
constexpr char kEncrypted[] = ": Encrypted 7z headers: members cannot be listed\n";
constexpr char kRarity[] = ": This 7z type not supported due to its rarity\n";

// FILETIME (100-ns steps since 1601, UTC) to the DOS date and time of the local zone.
void FileTimeToDos(uint64_t ft, uint16_t& date, uint16_t& time) {
  constexpr int64_t k1601To1970 = 11644473600LL;
  platform::UnixTimeToDos(static_cast<int64_t>(ft / 10000000) - k1601To1970, date, time);
}

// Appends one code point in UTF-8, unless the name would no longer fit the member-name buffer
// (false): a longer name is shown cut after its last whole character that fits.
bool AppendFitting(std::string& name, uint32_t cp) {
  if (name.size() + base::Utf8Length(cp) >= kMemberNameBuffer) return false;
  base::AppendUtf8(name, cp);
  return true;
}

// A UTF-16LE name ending in a zero unit, to UTF-8; unpaired surrogates become U+FFFD. False
// when the zero unit is missing.
bool ReadName(Cursor& c, std::string& name) {
  name.clear();
  bool full = false;
  auto unit = [&c] {
    const uint32_t first = c.Byte();
    return first | static_cast<uint32_t>(c.Byte()) << 8;
  };
  for (uint32_t u = unit(); c.Ok() && u != 0; u = unit()) {
    uint32_t cp = u;
    if (u >= 0xD800 && u <= 0xDBFF) {
      Cursor ahead = c;
      const uint32_t low = unit();
      if (c.Ok() && low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
      } else {
        c = ahead;
        cp = 0xFFFD;
      }
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      cp = 0xFFFD;
    }
    full = full || !AppendFitting(name, cp);
  }
  return c.Ok();
}

// The properties of the files information, each still in the header's bytes: walked file by
// file while the members are reported, so nothing is allocated per file.
struct FilesInfo {
  uint64_t count = 0;
  Bits emptyStream;
  bool named = false;
  std::string_view names;
  Bits mtimeDefined;
  std::string_view mtimes;  // empty when no file has a time
};

// A times property:
//   defined bits (with the all-defined byte), BYTE external (0), 8 bytes per defined file
bool ReadTimes(Cursor& c, uint64_t files, FilesInfo& info) {
  info.mtimeDefined = ReadDefined(c, files);
  const uint64_t defined = CountSet(info.mtimeDefined, files);
  if (c.Byte() != 0 || !c.Ok()) return false;
  if (defined > c.Remaining() / 8) return false;
  info.mtimes = c.Take(defined * 8);
  return c.Ok();
}

// Files information, after its id:
//   NUMBER  count of files
//   per property, until an id of 0:  BYTE id, NUMBER size, size bytes
//     kEmptyStream    a bit per file: no data stream (a folder, an empty file, a deletion)
//     kEmptyFile      a bit per empty-stream file: a file, not a folder   (not needed:
//     kAnti           a bit per empty-stream file: a deletion marker       listed as they are)
//     kName           BYTE external (0), then every name in UTF-16LE ending in a zero unit
//     kMTime          see ReadTimes
//     others          skipped (other times, attributes, padding)
// Returns 0 when fine, else the message the listing ends with.
const char* ReadFilesInfo(Cursor& c, FilesInfo& info) {
  info.count = c.Count(1);
  for (uint8_t id = c.Byte(); c.Ok() && id != kEnd; id = c.Byte()) {
    Cursor p(c.Take(c.Number()));
    if (!c.Ok()) return kCorrupt;
    switch (id) {
      case kEmptyStream: info.emptyStream = ReadBits(p, info.count); break;
      case kName:
        if (p.Byte() != 0) return p.Ok() ? kRarity : kCorrupt;  // names kept elsewhere
        info.named = true;
        info.names = p.Take(p.Remaining());
        break;
      case kMTime:
        if (!ReadTimes(p, info.count, info)) return kCorrupt;
        break;
      default: break;
    }
    if (!p.Ok()) return kCorrupt;
  }
  if (!c.Ok()) return kCorrupt;
  // Every file needs a name; without names a count could ask for billions of empty rows.
  if (info.count > 0 && !info.named) return kCorrupt;
  return nullptr;
}

// Reports every file in header order. The files with a data stream take the substreams in
// order, folder by folder. Returns 0 when all were reported, else the closing message.
const char* ReportFiles(const FilesInfo& files, const StreamsInfo& streams, ReaderContext& ctx) {
  Cursor names(files.names), times(files.mtimes);
  std::string name;
  uint64_t substream = 0, inFolder = 0;
  size_t folder = 0;
  for (uint64_t i = 0; i < files.count; ++i) {
    if (!ReadName(names, name)) return kCorrupt;
    uint16_t date = 0, time = 0;
    const bool dated = files.mtimeDefined.Get(i) && !files.mtimes.empty();
    if (dated) FileTimeToDos(times.U64(), date, time);
    if (!times.Ok()) return kCorrupt;
    uint64_t size = 0, packed = 0;
    // A folder, an empty file or a deletion marker has no data stream and no packed size.
    if (!files.emptyStream.Get(i)) {
      while (folder < streams.folders.size() && inFolder == streams.folders[folder].unpackStreams) {
        ++folder;
        inFolder = 0;
      }
      if (folder == streams.folders.size() || substream >= streams.substreams.size())
        return kCorrupt;
      size = streams.substreams[substream++];
      ++inFolder;
      // A folder of several files keeps one packed size for all: none of them has its own.
      if (streams.folders[folder].unpackStreams == 1) packed = streams.FolderPackedSize(folder);
    }
    if (dated) {
      ctx.Report(name, date, time, static_cast<uint32_t>(size), static_cast<uint32_t>(packed));
    } else {
      ctx.ReportUndated(name, static_cast<uint32_t>(size), static_cast<uint32_t>(packed));
    }
  }
  return nullptr;
}

// Header, after its id:
//   [kArchiveProperties  per property until id 0: BYTE id, NUMBER size, data]
//   [kAdditionalStreamsInfo  streams info]   (not needed)
//   [kMainStreamsInfo        streams info]
//   [kFilesInfo              files information]
//   kEnd
const char* ReadHeader(Cursor& c, ReaderContext& ctx) {
  uint8_t id = c.Byte();
  if (id == kArchiveProperties) {
    for (uint8_t p = c.Byte(); c.Ok() && p != 0; p = c.Byte()) c.Skip(c.Number());
    id = c.Byte();
  }
  if (id == kAdditionalStreamsInfo) {
    StreamsInfo additional;
    if (!ReadStreamsInfo(c, additional)) return kCorrupt;
    id = c.Byte();
  }
  StreamsInfo streams;
  if (id == kMainStreamsInfo) {
    if (!ReadStreamsInfo(c, streams)) return kCorrupt;
    id = c.Byte();
  }
  if (!c.Ok()) return kCorrupt;
  if (id == kEnd) return nullptr;  // an archive of no files
  if (id != kFilesInfo) return kCorrupt;
  FilesInfo files;
  if (const char* failed = ReadFilesInfo(c, files)) return failed;
  if (const char* failed = ReportFiles(files, streams, ctx)) return failed;
  return c.Byte() == kEnd && c.Ok() ? nullptr : kCorrupt;
}

// Reads the header the signature header points at, checks its CRC and unpacks it as long as
// it is an encoded one. Returns 0 with the plain header in `header`, else the message.
const char* LoadHeader(ByteSource& src, std::string& header) {
  unsigned char h[kSignatureHeader];
  if (!src.Read(h, sizeof h)) return kCorrupt;
  if (!CrcMatches(h + kNextOffsetAt, kSignatureHeader - kNextOffsetAt, base::Le32(h + kStartCrcAt)))
    return kCorrupt;
  const uint64_t offset = base::Le64(h + kNextOffsetAt), size = base::Le64(h + kNextSizeAt);
  const uint64_t room = src.Length() - kSignatureHeader;
  if (size == 0) return nullptr;  // an empty archive has no header at all
  if (size > kMaxHeader || offset > room || size > room - offset) return kCorrupt;
  header.resize(static_cast<size_t>(size));
  src.Seek(kSignatureHeader + offset);
  if (!src.Read(header.data(), header.size())) return kCorrupt;
  if (!CrcMatches(header.data(), header.size(), base::Le32(h + kNextCrcAt))) return kCorrupt;

  for (int depth = 0; depth < kMaxEncodings; ++depth) {
    Cursor c(header);
    const uint8_t id = c.Byte();
    if (id == kHeader) return nullptr;
    if (id != kEncodedHeader) return kCorrupt;
    StreamsInfo info;
    if (!ReadStreamsInfo(c, info) || info.folders.empty()) return kCorrupt;
    std::string unpacked;
    const uint64_t limit = std::min(kMaxHeader, src.Length() * kMaxHeaderRatio);
    switch (UnpackFolder(src, info, 0, limit, unpacked)) {
      case Unpacked::kOk: break;
      case Unpacked::kEncrypted: return kEncrypted;
      case Unpacked::kUnsupported: return kRarity;
      case Unpacked::kCorrupt: return kCorrupt;
    }
    header = std::move(unpacked);
  }
  return kCorrupt;
}

}  // namespace

void ReadSevenZip(ByteSource& src, ReaderContext& ctx) {
  unsigned char signature[sizeof kSignature];
  if (!src.Read(signature, sizeof signature) ||
      std::memcmp(signature, kSignature, sizeof signature) != 0)
    return;
  src.Seek(0);
  std::string header;
  const char* failed = LoadHeader(src, header);
  if (!failed && !header.empty()) {
    Cursor c(header);
    c.Byte();  // kHeader
    failed = ReadHeader(c, ctx);
  }
  if (failed) ctx.Warn(failed);
}

}  // namespace quillow::search::formats
