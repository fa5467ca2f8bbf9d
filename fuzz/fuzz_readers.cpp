// Every directory reader over arbitrary bytes. Each must end, stay inside its buffers, and
// report names that fit the member-name buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "memory_file.h"
#include "search/byte_source.h"
#include "search/formats/formats.h"
#include "search/reader.h"
#include "search/type_table.h"

namespace {

class CheckingContext final : public quillow::ReaderContext {
 public:
  CheckingContext() : ReaderContext("fuzz.bin", 0x2A21, 0x6000) {}
  void Report(std::string_view name, uint16_t, uint16_t, uint32_t, uint32_t) override {
    if (name.size() >= quillow::kMemberNameBuffer) std::abort();
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
  for (const quillow::TypeEntry& type : quillow::TypeTable()) {
    // 7z unpacks its header, so two bytes a member does not bound it: fuzz_sevenzip has it.
    if (!type.reader || type.reader == quillow::formats::ReadSevenZip) continue;
    for (int buffered = 0; buffered < 2; ++buffered) {
      quillow::fuzz::MemoryFile file(bytes);
      std::unique_ptr<quillow::ByteSource> src = buffered
                                                     ? std::make_unique<quillow::ByteSource>(file)
                                                     : std::make_unique<quillow::ByteSource>(bytes);
      CheckingContext ctx;
      type.reader(*src, ctx);
      // No format spends fewer than two bytes of header on a member.
      if (ctx.members > size / 2 + 1) std::abort();
    }
  }
  return 0;
}
