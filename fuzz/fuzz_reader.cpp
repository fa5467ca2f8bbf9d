// One directory reader over arbitrary bytes, named by QUILLOW_FUZZ_READER when the target
// is built (one target per reader family, so that each run spends its time on one walk). It
// must end, stay inside its buffers, and report names that fit the member-name buffer.
// The members an input may give are bounded by its size: no format spends fewer than two
// bytes of header on a member, except one that unpacks its header (7z), whose target names
// the members a byte may give in QUILLOW_FUZZ_MEMBERS_PER_BYTE.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "memory_file.h"
#include "search/byte_source.h"
#include "search/formats/formats.h"
#include "search/reader.h"

#ifdef QUILLOW_FUZZ_MEMBERS_PER_BYTE
#define QUILLOW_FUZZ_MAX_MEMBERS(size) ((size)*QUILLOW_FUZZ_MEMBERS_PER_BYTE + 1)
#else
#define QUILLOW_FUZZ_MAX_MEMBERS(size) ((size) / 2 + 1)
#endif

namespace {

class CheckingContext final : public quillow::search::ReaderContext {
 public:
  CheckingContext() : ReaderContext("fuzz.bin", 0x2A21, 0x6000) {}
  void Report(std::string_view name, uint16_t, uint16_t, uint32_t, uint32_t) override {
    if (name.size() >= quillow::search::kMemberNameBuffer) std::abort();
    // Touch every byte so the sanitizer sees a name that points outside its buffer.
    volatile unsigned sum = 0;
    for (char c : name) sum = sum + static_cast<unsigned char>(c);
    ++members;
  }
  void Warn(std::string_view message) override {
    if (message.empty() || message.front() != ':') std::abort();
  }
  size_t members = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Whole in memory, and read block by block from a file, as a search reads an archive.
  for (int buffered = 0; buffered < 2; ++buffered) {
    quillow::fuzz::MemoryFile file(bytes);
    std::unique_ptr<quillow::search::ByteSource> src =
        buffered ? std::make_unique<quillow::search::ByteSource>(file)
                 : std::make_unique<quillow::search::ByteSource>(bytes);
    CheckingContext ctx;
    QUILLOW_FUZZ_READER(*src, ctx);
    if (ctx.members > QUILLOW_FUZZ_MAX_MEMBERS(size)) std::abort();
  }
  return 0;
}
