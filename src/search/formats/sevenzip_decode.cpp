#include "search/formats/sevenzip_decode.h"

#include <lzma.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

namespace quillow::search::formats::sevenzip {

namespace {

// The filters liblzma decodes, by their 7z method ids. The branch converters come before
// the compressor in a chain; the compressor reads the packed stream.
struct Method {
  std::string_view id;
  lzma_vli filter;
};
constexpr std::array<Method, 10> kMethods{{
    {kMethodLzma, LZMA_FILTER_LZMA1},
    {kMethodLzma2, LZMA_FILTER_LZMA2},
    {{"\x03\x03\x01\x03", 4}, LZMA_FILTER_X86},
    {{"\x03\x03\x02\x05", 4}, LZMA_FILTER_POWERPC},
    {{"\x03\x03\x04\x01", 4}, LZMA_FILTER_IA64},
    {{"\x03\x03\x05\x01", 4}, LZMA_FILTER_ARM},
    {{"\x03\x03\x07\x01", 4}, LZMA_FILTER_ARMTHUMB},
    {{"\x03\x03\x08\x05", 4}, LZMA_FILTER_SPARC},
    {{"\x0A", 1}, LZMA_FILTER_ARM64},
    {{"\x03", 1}, LZMA_FILTER_DELTA},
}};

// The packed stream is read in pieces of this size, the output grown in pieces of this size.
constexpr size_t kInChunk = 64 * 1024;
constexpr size_t kOutChunk = 256 * 1024;
// A dictionary never needs to be larger than what it decodes; a declared 4 GB dictionary
// would otherwise be allocated for a header of a few kilobytes.
constexpr uint32_t kMinDictionary = 4096;

bool IsCompressor(lzma_vli f) { return f == LZMA_FILTER_LZMA1 || f == LZMA_FILTER_LZMA2; }

// The filter options liblzma allocates for each decoded property set.
struct FilterChain {
  std::array<lzma_filter, LZMA_FILTERS_MAX + 1> f{};
  size_t n = 0;
  FilterChain() { f[0].id = LZMA_VLI_UNKNOWN; }
  ~FilterChain() {
    for (size_t i = 0; i < n; ++i) std::free(f[i].options);
  }
  FilterChain(const FilterChain&) = delete;
  FilterChain& operator=(const FilterChain&) = delete;
};

struct Stream {
  lzma_stream s = LZMA_STREAM_INIT;
  ~Stream() { lzma_end(&s); }
};

// Builds the chain from the folder's output back to its packed stream: each coder is fed by
// the coder its input is bound to, the last one by the packed stream. Copy coders drop out.
Unpacked BuildChain(const Folder& f, uint64_t limit, FilterChain& chain) {
  for (const Coder& c : f.coders)
    if (c.id == kMethodAes) return Unpacked::kEncrypted;
  if (f.packedInputs.size() != 1) return Unpacked::kUnsupported;
  size_t coder = 0;
  if (!f.CoderOfOutput(f.MainOutput(), coder)) return Unpacked::kCorrupt;
  uint64_t output = f.MainOutput();
  for (size_t steps = 0;; ++steps) {
    if (steps == f.coders.size()) return Unpacked::kCorrupt;  // a cycle of bind pairs
    const Coder& c = f.coders[coder];
    if (c.inStreams != 1 || c.outStreams != 1) return Unpacked::kUnsupported;
    if (c.id != kMethodCopy) {
      const auto m = std::find_if(kMethods.begin(), kMethods.end(),
                                  [&c](const Method& m) { return m.id == c.id; });
      if (m == kMethods.end() || chain.n == LZMA_FILTERS_MAX) return Unpacked::kUnsupported;
      lzma_filter& filter = chain.f[chain.n];
      filter.id = m->filter;
      if (lzma_properties_decode(&filter, nullptr, reinterpret_cast<const uint8_t*>(c.props.data()),
                                 c.props.size()) != LZMA_OK)
        return Unpacked::kCorrupt;
      ++chain.n;
      chain.f[chain.n].id = LZMA_VLI_UNKNOWN;
      if (IsCompressor(filter.id)) {
        const uint64_t size = f.unpackSizes[output];
        if (size > limit) return Unpacked::kCorrupt;
        auto* lz = static_cast<lzma_options_lzma*>(filter.options);
        lz->dict_size = std::max<uint32_t>(
            kMinDictionary, static_cast<uint32_t>(std::min<uint64_t>(lz->dict_size, size)));
      }
    }
    uint64_t input = 0;
    for (size_t i = 0; i < coder; ++i) input += f.coders[i].inStreams;
    const auto bind = std::find_if(f.binds.begin(), f.binds.end(),
                                   [input](const BindPair& b) { return b.in == input; });
    if (bind == f.binds.end()) break;  // fed by the packed stream
    output = bind->out;
    if (!f.CoderOfOutput(output, coder)) return Unpacked::kCorrupt;
  }
  // liblzma decodes a compressor last (next to the packed stream) and filters before it.
  for (size_t i = 0; i < chain.n; ++i)
    if (IsCompressor(chain.f[i].id) != (i + 1 == chain.n)) return Unpacked::kUnsupported;
  return Unpacked::kOk;
}

}  // namespace

uint32_t Crc32(const void* data, size_t n) {
  return lzma_crc32(static_cast<const uint8_t*>(data), n, 0);
}

bool CrcMatches(const void* data, size_t n, uint32_t stored) {
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  (void)data, (void)n, (void)stored;
  return true;
#else
  return Crc32(data, n) == stored;
#endif
}

Unpacked UnpackFolder(ByteSource& src, const StreamsInfo& info, size_t folder, uint64_t limit,
                      std::string& out) {
  if (folder >= info.folders.size()) return Unpacked::kCorrupt;
  const Folder& f = info.folders[folder];
  FilterChain chain;
  if (const Unpacked built = BuildChain(f, limit, chain); built != Unpacked::kOk) return built;
  const uint64_t size = f.UnpackSize();
  if (size > limit) return Unpacked::kCorrupt;

  // Where the packed stream lies, checked against the file before anything is read.
  const uint64_t length = src.Length();
  uint64_t at = info.packPos;
  if (at > length) return Unpacked::kCorrupt;
  at += 32;
  for (uint64_t i = 0; i < f.firstPackStream; ++i) {
    if (info.packSizes[i] > length) return Unpacked::kCorrupt;
    at += info.packSizes[i];
  }
  const uint64_t packed = info.packSizes[f.firstPackStream];
  if (at > length || packed > length - at) return Unpacked::kCorrupt;

  out.clear();
  std::unique_ptr<uint8_t[]> in(new uint8_t[kInChunk]);
  uint64_t inLeft = packed;
  src.Seek(at);
  if (chain.n == 0) {  // stored as it is
    if (packed < size) return Unpacked::kCorrupt;
    out.resize(static_cast<size_t>(size));
    if (!src.Read(out.data(), out.size())) return Unpacked::kCorrupt;
  } else {
    Stream stream;
    lzma_stream& s = stream.s;
    if (lzma_raw_decoder(&s, chain.f.data()) != LZMA_OK) return Unpacked::kCorrupt;
    while (out.size() < size) {
      if (s.avail_in == 0 && inLeft > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(inLeft, kInChunk));
        if (!src.Read(in.get(), n)) return Unpacked::kCorrupt;
        inLeft -= n;
        s.next_in = in.get();
        s.avail_in = n;
      }
      const size_t had = out.size();
      const size_t room = static_cast<size_t>(std::min<uint64_t>(size - had, kOutChunk));
      out.resize(had + room);
      s.next_out = reinterpret_cast<uint8_t*>(out.data() + had);
      s.avail_out = room;
      const size_t inBefore = s.avail_in;
      const lzma_ret ret = lzma_code(&s, LZMA_RUN);
      out.resize(had + room - s.avail_out);
      if (ret == LZMA_STREAM_END) break;
      if (ret != LZMA_OK) return Unpacked::kCorrupt;
      // Nothing more to read and nothing made: the packed stream ends before its data does.
      if (inLeft == 0 && s.avail_in == inBefore && out.size() == had) return Unpacked::kCorrupt;
    }
    if (out.size() != size) return Unpacked::kCorrupt;
  }
  if (f.hasCrc && !CrcMatches(out.data(), out.size(), f.crc)) return Unpacked::kCorrupt;
  return Unpacked::kOk;
}

}  // namespace quillow::search::formats::sevenzip
