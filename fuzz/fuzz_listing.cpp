// The ZIP component's listing over arbitrary bytes, as a plain file and as a program file
// (scanned from byte 14,000), read through the buffered file path. It must end, stay in its
// buffers, and list only members whose header, name and data lie inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "memory_file.h"
#include "search/byte_source.h"
#include "zip/component/zip_listing.h"

namespace {

bool KnownMessage(const std::string& m) {
  static const char* const kWhole[] = {"",
                                       "No valid zip entries found!",
                                       "No valid zip entries found",
                                       "Error reading Zip File!",
                                       "Error 2 reading Zip file",
                                       "Unknow error in List() section!"};
  for (const char* w : kWhole)
    if (m == w) return true;
  for (const char* prefix :
       {"Error 3 reading Zip file", "Error 4 reading Zip file", "Error 5 reading Zip file"})
    if (m.rfind(prefix, 0) == 0) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (int program = 0; program < 2; ++program) {
    quillow::fuzz::MemoryFile file(bytes);
    quillow::search::ByteSource src(file);
    const quillow::zip::ListingResult r = quillow::zip::ListZipDirectory(src, program != 0);
    if (!KnownMessage(r.message)) std::abort();
    // Every member spends at least a 30-byte header, and its data ends before the last 22
    // bytes of the file.
    if (r.entries.size() > size / 30) std::abort();
    if (!r.entries.empty() && r.firstEntryOffset + 30 > size) std::abort();
    for (const auto& e : r.entries) {
      if (e.FileName.size() != e.FileNameLength) std::abort();
      if (e.FileName.find('/') != std::string::npos) std::abort();
      if (e.CompressedSize < 0 || static_cast<uint64_t>(e.CompressedSize) + 52 > size) std::abort();
    }
  }
  return 0;
}
