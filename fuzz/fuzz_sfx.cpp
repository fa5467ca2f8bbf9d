// The self-extractor's parsers over arbitrary bytes: the settings header on its own, then the
// input as a whole program, whose image end, header and archive directory the stub reads
// before it extracts into a memory file system that aborts on any write outside the target.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "memory_fs.h"
#include "sfx_payload.h"
#include "zip/sfx/sfx_header.h"

namespace z = quillow::zip;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A header that reads back is the one the conversion would write for those settings.
  if (auto settings = z::DecodeSfxHeader(data, size)) {
    if (settings->TextLength() > z::kSfxTextRoom) std::abort();
    const auto header = z::EncodeSfxHeader(*settings);
    if (std::memcmp(header.data(), data, 7 + settings->TextLength()) != 0) std::abort();
  }

  quillow::fuzz::MemoryFs fs(std::string(reinterpret_cast<const char*>(data), size));
  fs.NewRun();
  std::string error;
  const auto payload = quillow::sfx::OpenPayload(fs, "/in.zip", error);
  if (!payload) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (payload->dataStart < z::kSfxHeaderSize || payload->dataStart > size) std::abort();
  quillow::sfx::ExtractRequest request;
  request.target = quillow::fuzz::kBase;
  request.overwrite = z::SfxOverwrite::kAlways;
  quillow::sfx::ExtractPayload(fs, "/in.zip", *payload, request);
  return 0;
}
