// The parts of a 7z header that describe packed streams and the folders (coder chains) that
// unpack them: shared by the reader, which takes sizes from them, and by the header decoder,
// which unpacks a compressed header through them. Everything here works on a header already
// in memory; every number in it comes from the archive and is checked before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillow::search::formats::sevenzip {

// Property ids of the header, as the format numbers them.
enum Id : uint8_t {
  kEnd = 0x00,
  kHeader = 0x01,
  kArchiveProperties = 0x02,
  kAdditionalStreamsInfo = 0x03,
  kMainStreamsInfo = 0x04,
  kFilesInfo = 0x05,
  kPackInfo = 0x06,
  kUnpackInfo = 0x07,
  kSubStreamsInfo = 0x08,
  kSize = 0x09,
  kCrc = 0x0A,
  kFolder = 0x0B,
  kCodersUnpackSize = 0x0C,
  kNumUnpackStream = 0x0D,
  kEmptyStream = 0x0E,
  kEmptyFile = 0x0F,
  kAnti = 0x10,
  kName = 0x11,
  kMTime = 0x14,
  kWinAttributes = 0x15,
  kEncodedHeader = 0x17,
  kDummy = 0x19,
};

// Reads the header's fields from memory. A failure is sticky: once a read runs past the end,
// Ok() stays false and every later read yields 0, so a run of reads is checked once.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : p_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  bool Ok() const { return ok_; }
  void Fail() { ok_ = false; }
  size_t Remaining() const { return ok_ ? static_cast<size_t>(end_ - p_) : 0; }
  const char* Position() const { return p_; }

  uint8_t Byte();
  uint32_t U32();
  uint64_t U64();
  // The format's variable-length number: the count of leading one bits of the first byte is
  // the count of bytes that follow (little-endian); the first byte's other bits are the top.
  uint64_t Number();
  // A number that counts things of at least `minBytes` bytes each that must still follow in
  // the header: a larger count fails, so no loop or allocation follows a lie.
  uint64_t Count(size_t minBytes);
  void Skip(uint64_t n);
  // The next n bytes as a view, and the cursor past them.
  std::string_view Take(uint64_t n);

 private:
  const char* p_;
  const char* end_;
  bool ok_ = true;
};

// A bit vector of n bits, highest bit of each byte first, as the format stores them.
struct Bits {
  std::string_view bytes;  // empty: every bit is `fill`
  bool fill = false;
  bool Get(uint64_t i) const {
    if (bytes.empty()) return fill;
    return (static_cast<unsigned char>(bytes[i >> 3]) >> (7 - (i & 7))) & 1;
  }
};
// Reads a vector of n bits (n checked against what is left).
Bits ReadBits(Cursor& c, uint64_t n);
// A vector with its "all defined" byte in front: 1 means every bit is set.
Bits ReadDefined(Cursor& c, uint64_t n);
uint64_t CountSet(const Bits& bits, uint64_t n);

struct Coder {
  std::string_view id;     // the method id bytes, big-endian as stored
  std::string_view props;  // the coder's properties
  uint32_t inStreams = 1;  // packed side
  uint32_t outStreams = 1;
};

struct BindPair {
  uint64_t in = 0;   // a coder input (over all coders of the folder)
  uint64_t out = 0;  // fed by this coder output
};

// One folder: a chain of coders that turns its packed streams into one unpacked stream.
struct Folder {
  std::vector<Coder> coders;
  std::vector<BindPair> binds;
  std::vector<uint64_t> packedInputs;  // coder inputs fed by packed streams, in stream order
  std::vector<uint64_t> unpackSizes;   // one per coder output
  uint64_t firstPackStream = 0;        // index of its first packed stream in the pack info
  uint32_t totalIn = 0, totalOut = 0;
  uint64_t unpackStreams = 1;  // files (substreams) it holds
  bool hasCrc = false;
  uint32_t crc = 0;

  // The coder output that leaves the folder: the one no bind pair consumes.
  uint64_t MainOutput() const;
  uint64_t UnpackSize() const;
  // The coder owning output `out`.
  bool CoderOfOutput(uint64_t out, size_t& coder) const;
};

// Pack info, coders info and substreams info of one streams-info block.
struct StreamsInfo {
  uint64_t packPos = 0;             // offset of the first packed stream after the 32-byte header
  std::vector<uint64_t> packSizes;  // one per packed stream
  std::vector<Folder> folders;
  std::vector<uint64_t> substreams;  // unpacked size of each substream, folder by folder
  bool substreamSizesKnown = true;   // false when a folder of several files gives no sizes

  // Bytes the folder occupies in the archive: the sum of its packed streams.
  uint64_t FolderPackedSize(size_t folder) const;
};

// Reads a streams-info block from just after its id up to its closing kEnd. False when the
// block breaks the format; the cursor is then anywhere.
bool ReadStreamsInfo(Cursor& c, StreamsInfo& info);

// Method ids the reader meets, as their stored bytes.
inline constexpr std::string_view kMethodCopy{"\x00", 1};
inline constexpr std::string_view kMethodLzma{"\x03\x01\x01", 3};
inline constexpr std::string_view kMethodLzma2{"\x21", 1};
inline constexpr std::string_view kMethodAes{"\x06\xF1\x07\x01", 4};

}  // namespace quillow::search::formats::sevenzip
