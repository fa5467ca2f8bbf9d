// The 7z reader over arbitrary bytes, through memory and through a buffered file. Unlike the
// other readers it may unpack a header, so a small input can list many members: the bound is
// the unpacked header's, two bytes of name a member.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "memory_file.h"
#include "search/byte_source.h"
#include "search/formats/formats.h"
#include "search/reader.h"

namespace {

class CheckingContext final : public quillow::ReaderContext {
 public:
  CheckingContext() : ReaderContext("fuzz.7z", 0x2A21, 0x6000) {}
  void Report(std::string_view name, uint16_t, uint16_t, uint32_t, uint32_t) override {
    if (name.size() >= quillow::kMemberNameBuffer) std::abort();
    volatile unsigned sum = 0;
    for (char c : name) sum = sum + static_cast<unsigned char>(c);
    ++members;
  }
  void Warn(std::string_view message) override {
    if (message.empty() || message.front() != ':' || message.back() != '\n') std::abort();
    ++warnings;
  }
  size_t members = 0, warnings = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (int buffered = 0; buffered < 2; ++buffered) {
    quillow::fuzz::MemoryFile file(bytes);
    std::unique_ptr<quillow::ByteSource> src = buffered
                                                   ? std::make_unique<quillow::ByteSource>(file)
                                                   : std::make_unique<quillow::ByteSource>(bytes);
    CheckingContext ctx;
    quillow::formats::ReadSevenZip(*src, ctx);
    if (ctx.members > size * 512 + 1 || ctx.warnings > 1) std::abort();
  }
  return 0;
}
