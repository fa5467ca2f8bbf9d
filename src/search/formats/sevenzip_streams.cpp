#include "search/formats/sevenzip_streams.h"

namespace quillow::search::formats::sevenzip {

namespace {

// No archiver writes more than a handful of coders into a folder, each with at most four
// streams; far larger counts are lies that would only cost loops.
constexpr uint64_t kMaxCoders = 32;
constexpr uint64_t kMaxCoderStreams = 32;
constexpr uint8_t kIdSizeMask = 0x0F, kComplexCoder = 0x10, kHasProps = 0x20, kAlternatives = 0x80;

// Digests of n streams:
//   1      all defined (1) or not (0)
//   [bits] which are defined, when not all are
//   4 each the CRC-32 of every defined stream
// The CRCs go to `crcs` when asked for (one per stream, 0 where undefined).
void ReadDigests(Cursor& c, uint64_t n, std::vector<uint32_t>* crcs, std::vector<bool>* defined) {
  const Bits bits = ReadDefined(c, n);
  if (!c.Ok()) return;
  const uint64_t set = CountSet(bits, n);
  if (set > c.Remaining() / 4) return c.Fail();
  for (uint64_t i = 0; i < n && c.Ok(); ++i) {
    const bool has = bits.Get(i);
    const uint32_t crc = has ? c.U32() : 0;
    if (crcs) crcs->push_back(crc);
    if (defined) defined->push_back(has);
  }
}

// Pack info, after its id:
//   NUMBER  position of the first packed stream, from the end of the 32-byte header
//   NUMBER  count of packed streams
//   [kSize  NUMBER per stream]
//   [kCrc   digests]
//   kEnd
bool ReadPackInfo(Cursor& c, StreamsInfo& info) {
  info.packPos = c.Number();
  const uint64_t count = c.Count(1);
  for (uint8_t id = c.Byte(); c.Ok() && id != kEnd; id = c.Byte()) {
    if (id == kSize) {
      for (uint64_t i = 0; i < count && c.Ok(); ++i) info.packSizes.push_back(c.Number());
    } else if (id == kCrc) {
      ReadDigests(c, count, nullptr, nullptr);
    } else {
      return false;
    }
  }
  return c.Ok() && info.packSizes.size() == count;
}

// Folder:
//   NUMBER  count of coders
//   per coder:
//     BYTE    bits 0-3 size of the method id, 4 several streams, 5 properties follow,
//             7 alternative methods follow (never written; refused)
//     id      the method id
//     [NUMBER inputs, NUMBER outputs]          when bit 4 is set; else one of each
//     [NUMBER property size, properties]       when bit 5 is set
//   per bind pair (outputs - 1 of them): NUMBER input, NUMBER output
//   per packed stream, when there are several: NUMBER input it feeds
bool ReadFolder(Cursor& c, Folder& f) {
  const uint64_t coders = c.Count(1);
  if (!c.Ok() || coders == 0 || coders > kMaxCoders) return false;
  for (uint64_t i = 0; i < coders; ++i) {
    const uint8_t flags = c.Byte();
    if (flags & kAlternatives) return false;
    Coder coder;
    coder.id = c.Take(flags & kIdSizeMask);
    if (flags & kComplexCoder) {
      const uint64_t in = c.Number(), out = c.Number();
      if (in == 0 || out == 0 || in > kMaxCoderStreams || out > kMaxCoderStreams) return false;
      coder.inStreams = static_cast<uint32_t>(in);
      coder.outStreams = static_cast<uint32_t>(out);
    }
    if (flags & kHasProps) coder.props = c.Take(c.Number());
    if (!c.Ok()) return false;
    f.totalIn += coder.inStreams;
    f.totalOut += coder.outStreams;
    f.coders.push_back(coder);
  }
  for (uint32_t i = 0; i + 1 < f.totalOut; ++i) {
    const BindPair bind{c.Number(), c.Number()};
    if (!c.Ok() || bind.in >= f.totalIn || bind.out >= f.totalOut) return false;
    f.binds.push_back(bind);
  }
  if (f.binds.size() >= f.totalIn) return false;
  const uint64_t packed = f.totalIn - f.binds.size();
  auto bound = [&f](uint64_t in) {
    for (const BindPair& b : f.binds)
      if (b.in == in) return true;
    return false;
  };
  if (packed == 1) {
    for (uint32_t in = 0; in < f.totalIn && f.packedInputs.empty(); ++in)
      if (!bound(in)) f.packedInputs.push_back(in);
  } else {
    for (uint64_t i = 0; i < packed && c.Ok(); ++i) f.packedInputs.push_back(c.Number());
  }
  for (uint64_t in : f.packedInputs)
    if (in >= f.totalIn) return false;
  return c.Ok() && f.packedInputs.size() == packed && f.MainOutput() < f.totalOut;
}

// Coders info, after its id:
//   kFolder NUMBER count of folders, BYTE external (0; other values are refused), folders
//   kCodersUnpackSize  NUMBER per output of every coder of every folder
//   [kCrc   digests of the folders' unpacked streams]
//   kEnd
bool ReadUnpackInfo(Cursor& c, StreamsInfo& info) {
  if (c.Byte() != kFolder) return false;
  const uint64_t count = c.Count(2);
  if (c.Byte() != 0 || !c.Ok()) return false;
  for (uint64_t i = 0; i < count; ++i) {
    Folder f;
    if (!ReadFolder(c, f)) return false;
    info.folders.push_back(std::move(f));
  }
  if (c.Byte() != kCodersUnpackSize) return false;
  for (Folder& f : info.folders)
    for (uint32_t i = 0; i < f.totalOut && c.Ok(); ++i) f.unpackSizes.push_back(c.Number());
  for (uint8_t id = c.Byte(); c.Ok() && id != kEnd; id = c.Byte()) {
    if (id != kCrc) return false;
    std::vector<uint32_t> crcs;
    std::vector<bool> defined;
    ReadDigests(c, count, &crcs, &defined);
    for (size_t i = 0; i < crcs.size(); ++i) {
      info.folders[i].hasCrc = defined[i];
      info.folders[i].crc = crcs[i];
    }
  }
  return c.Ok();
}

// Substreams info, after its id:
//   [kNumUnpackStream  NUMBER per folder: files it holds (1 when absent)]
//   [kSize  per folder holding n files: NUMBER size of each but the last, which is what the
//           folder's unpacked size leaves]
//   [kCrc   digests of the files whose CRC the folder's own does not give]
//   kEnd
bool ReadSubStreamsInfo(Cursor& c, StreamsInfo& info) {
  uint8_t id = c.Byte();
  if (id == kNumUnpackStream) {
    for (Folder& f : info.folders) f.unpackStreams = c.Number();
    id = c.Byte();
  }
  const bool sized = id == kSize;
  for (const Folder& f : info.folders) {
    if (f.unpackStreams == 0) continue;
    if (!sized && f.unpackStreams > 1) return false;
    const uint64_t total = f.UnpackSize();
    uint64_t sum = 0;
    for (uint64_t i = 1; i < f.unpackStreams && c.Ok(); ++i) {
      const uint64_t size = c.Number();
      if (size > total - sum) return false;
      sum += size;
      info.substreams.push_back(size);
    }
    info.substreams.push_back(total - sum);
  }
  if (sized) id = c.Byte();
  for (; c.Ok() && id != kEnd; id = c.Byte()) {
    if (id != kCrc) return false;
    uint64_t unknown = 0;
    for (const Folder& f : info.folders)
      unknown += (f.unpackStreams == 1 && f.hasCrc) ? 0 : f.unpackStreams;
    ReadDigests(c, unknown, nullptr, nullptr);
  }
  return c.Ok();
}

}  // namespace

uint8_t Cursor::Byte() {
  if (!ok_ || p_ == end_) {
    ok_ = false;
    return 0;
  }
  return static_cast<uint8_t>(*p_++);
}

uint32_t Cursor::U32() {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
  return v;
}

uint64_t Cursor::U64() {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(Byte()) << (8 * i);
  return v;
}

uint64_t Cursor::Number() {
  const uint8_t first = Byte();
  uint64_t value = 0;
  uint8_t mask = 0x80;
  for (int i = 0; i < 8; ++i, mask >>= 1) {
    if ((first & mask) == 0) return value | (static_cast<uint64_t>(first & (mask - 1)) << (8 * i));
    value |= static_cast<uint64_t>(Byte()) << (8 * i);
  }
  return value;
}

uint64_t Cursor::Count(size_t minBytes) {
  const uint64_t n = Number();
  if (n > Remaining() / minBytes) {
    ok_ = false;
    return 0;
  }
  return n;
}

void Cursor::Skip(uint64_t n) { Take(n); }

std::string_view Cursor::Take(uint64_t n) {
  if (n > Remaining()) {
    ok_ = false;
    return {};
  }
  std::string_view v(p_, static_cast<size_t>(n));
  p_ += n;
  return v;
}

Bits ReadBits(Cursor& c, uint64_t n) {
  const uint64_t bytes = n / 8 + (n % 8 != 0);
  Bits bits;
  bits.bytes = c.Take(bytes);
  // A vector of no bits reads as all clear, never as "all set".
  return bits;
}

Bits ReadDefined(Cursor& c, uint64_t n) {
  if (c.Byte() != 0) return Bits{{}, true};
  return ReadBits(c, n);
}

uint64_t CountSet(const Bits& bits, uint64_t n) {
  if (bits.bytes.empty()) return bits.fill ? n : 0;
  uint64_t set = 0;
  for (uint64_t i = 0; i < n; ++i) set += bits.Get(i);
  return set;
}

uint64_t Folder::MainOutput() const {
  for (uint64_t out = 0; out < totalOut; ++out) {
    bool consumed = false;
    for (const BindPair& b : binds) consumed = consumed || b.out == out;
    if (!consumed) return out;
  }
  return totalOut;
}

uint64_t Folder::UnpackSize() const {
  const uint64_t out = MainOutput();
  return out < unpackSizes.size() ? unpackSizes[out] : 0;
}

bool Folder::CoderOfOutput(uint64_t out, size_t& coder) const {
  uint64_t first = 0;
  for (coder = 0; coder < coders.size(); first += coders[coder].outStreams, ++coder)
    if (out < first + coders[coder].outStreams) return true;
  return false;
}

uint64_t StreamsInfo::FolderPackedSize(size_t folder) const {
  const Folder& f = folders[folder];
  uint64_t sum = 0;
  for (size_t i = 0; i < f.packedInputs.size(); ++i) sum += packSizes[f.firstPackStream + i];
  return sum;
}

// Streams info, after its id:
//   [kPackInfo ...] [kUnpackInfo ...] [kSubStreamsInfo ...] kEnd
bool ReadStreamsInfo(Cursor& c, StreamsInfo& info) {
  uint8_t id = c.Byte();
  if (id == kPackInfo) {
    if (!ReadPackInfo(c, info)) return false;
    id = c.Byte();
  }
  if (id == kUnpackInfo) {
    if (!ReadUnpackInfo(c, info)) return false;
    id = c.Byte();
  }
  // The folders take the packed streams in order; together they may not ask for more.
  uint64_t next = 0;
  for (Folder& f : info.folders) {
    f.firstPackStream = next;
    next += f.packedInputs.size();
    if (next > info.packSizes.size() || f.unpackSizes.size() != f.totalOut) return false;
  }
  if (id == kSubStreamsInfo) {
    if (!ReadSubStreamsInfo(c, info)) return false;
    id = c.Byte();
  } else {
    for (const Folder& f : info.folders) info.substreams.push_back(f.UnpackSize());
  }
  return c.Ok() && id == kEnd;
}

}  // namespace quillow::search::formats::sevenzip
